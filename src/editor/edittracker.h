// EditTracker: turns the document's after-the-fact change reports into complete edits. Qt tells
// only where text changed and how many characters went and came; the editor's before-change
// steps also need the text that was replaced. The tracker keeps a copy of the plain text, so each
// report yields the replaced and the inserted text and the line-change record of the edit.
//
// Reports may be wider than the edit (Qt widens them over the final paragraph and repeats
// unchanged text around it); the common start and end of old and new text are trimmed, and a
// report that changes no character (a format change) yields nothing.
#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace corvane
{

// What an edit does to the lines of the text, written before each change and read by whoever
// keeps marks on lines (diagnostics).
struct LineChangeInfo {
    qint64 numberOfLinesAddedOrDeleted = 0; // line feeds(new text) - line feeds(replaced text)
    quint64 affectedLineNumber = 0;         // 1-based line of the change (+1 at a line's end)
    quint64 numberofLinesAffected = 0;      // lines(replaced text)
    bool isReplacement = false;             // the edit is a paste
    bool isUnDoing = false;                 // the edit is made by undo
    // True when the record tells nothing (reset state).
    bool isEmpty() const { return numberOfLinesAddedOrDeleted == 0 && !isReplacement; }
    friend bool operator==(const LineChangeInfo &, const LineChangeInfo &) = default;
};

// 0 for text without a line feed; else the number of lines, a final part without line feed
// counting as one: lines("a\nb") == 2, lines("a\n") == 1.
qsizetype lineCount(QStringView s);

// The record of replacing [from, to) of text by replacement. The line is that of from; a caller
// that knows it passes it as lineOfFrom (1-based) and saves counting the text before from.
LineChangeInfo lineChangeFor(QStringView text, qsizetype from, qsizetype to,
                             QStringView replacement, bool isPaste, bool isUndoing,
                             std::optional<quint64> lineOfFrom = std::nullopt);

// One edit of the text: [position, position + removed.size()) of the old text became inserted.
struct EditChange {
    qsizetype position = 0;
    QString removed;
    QString inserted;
    LineChangeInfo lineChange;
};

class EditTracker
{
public:
    // Starts over with the document's plain text.
    void reset(const QString &text);
    const QString &text() const { return m_text; }

    // The 1-based line of offset (clamped to the text). Counted from the offset asked or edited
    // last, so that asking near the caret costs the distance, not the text's length.
    quint64 lineAt(qsizetype offset) const;
    // The number of line feeds in the text, kept up to date by each edit.
    qsizetype lineFeeds() const { return m_lineFeeds; }

    // Applies a report: from and removed count in the old text, inserted is the document's text
    // from `from` on as it is now (line breaks as "\n"). Returns the trimmed edit, or nothing
    // when no character changed.
    std::optional<EditChange> apply(qsizetype from, qsizetype removed, QStringView inserted,
                                    bool isPaste, bool isUndoing);

private:
    QString m_text;
    qsizetype m_lineFeeds = 0;
    // A place whose line is known: text before it is not changed by later edits at or after it.
    mutable qsizetype m_anchor = 0;
    mutable quint64 m_anchorLine = 1;
};

} // namespace corvane
