// ProjectFind: find in project without a window. Searches the project's files (the text in memory
// for files edited and not saved, else the file on disk) line by line for a text and returns the
// rows of the find outline: one header row per file in which the text occurs, with one row per
// matching line. Also the definition search of jump to definition and the file-name matching of
// the file-name field. Files are searched in parallel, one file's text in memory per worker, and
// the results come back in project order.
#pragma once

#include "project/findresult.h"

#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <optional>

namespace corvane
{

class MyDocument;

namespace FindText
{
inline constexpr char kNoFiles[] = "Corvane: No Files to search\n";
inline constexpr char kNotFound[] = "The string \"%1\" could not be found";
} // namespace FindText

// How the search text matches. The defaults are the plain search: the text anywhere in the line,
// letter case ignored.
struct FindOptions {
    bool caseSensitive = false;
    // The match is neither preceded nor followed by a letter, digit or underscore.
    bool wholeWord = false;
    // The text is a regular expression (QRegularExpression); empty matches do not count.
    bool regularExpression = false;
};

// One file to search: its path, and its text when it is edited in memory.
struct FindSource {
    QString path;
    QString text;
    bool inMemory = false;
};

// The document's files in project order: the text storage's text for a file in state 1 that holds
// one, else the path alone. Reads text storages, so call it on the thread that owns them.
QList<FindSource> findSources(const MyDocument &document);

// One searched file that gets a node in the outline: the text occurs in it (a text that only
// occurs across a line end gives a node without matches), or it could not be read.
struct FoundFile {
    FindResult header;         // resultType 0, the file's last path component
    QList<FindResult> matches; // resultType 1, line order
    QString error;             // why the file could not be read; empty when it was
};

struct ProjectFindResults {
    QList<FoundFile> files; // project order
    // Set when the text is not a valid regular expression; nothing was searched then.
    QString patternError;

    qsizetype matchCount() const;
    // File path -> its match rows, for the files with at least one match.
    ErrorsDictionary findDictionary() const;
};

// The compiled match rule of one search.
class TextMatcher
{
public:
    TextMatcher(const QString &text, FindOptions options);
    bool isValid() const { return m_error.isEmpty(); }
    const QString &errorString() const { return m_error; }
    const FindOptions &options() const { return m_options; }
    // Whether a text without any match can be passed over without walking its lines: always for
    // plain text; for a pattern only when it has no anchor or lookaround, which could match at a
    // line's start or end but nowhere in the whole text.
    bool testsWholeText() const { return m_testsWholeText; }

    // Offset of the first match at or after from, -1 when none; length gets the match's length.
    qsizetype indexIn(QStringView text, qsizetype from = 0, qsizetype *length = nullptr) const;

private:
    qsizetype rawIndexIn(QStringView text, qsizetype from, qsizetype *length) const;

    QString m_text;
    FindOptions m_options;
    QRegularExpression m_regex; // compiled up front, so that workers only read it
    bool m_testsWholeText = true;
    QString m_error;
};

// Walks a text's lines: a line ends at "\n", "\r\n" or a lone "\r", and the last line needs no
// line end. visit gets each line without its end and its number from 1, and returns false to stop.
void forEachLine(QStringView text, const std::function<bool(QStringView, quint64)> &visit);

// A line without its leading and trailing blanks and tabs.
QString trimBlanksAndTabs(QStringView line);

// The text search of the find field. An empty text finds nothing. progress, when given, is
// called from the pool's threads (one at a time) after each file with the number of files
// searched and of all files.
using SearchProgress = std::function<void(qsizetype done, qsizetype total)>;
ProjectFindResults findStringInProject(const QList<FindSource> &sources, const QString &text,
                                       FindOptions options = {},
                                       const SearchProgress &progress = {});

// The definition search: letter case ignored, each blank of the text matching any run of blanks
// and tabs; the first line, in project order, that does not start with "c" or "C", holds the text
// before any "!", and has a blank, a tab, "(" or the line end right after it. Files that cannot be
// read are passed over (errors gets their messages).
std::optional<FindResult> findLocationInProjectOfString(const QList<FindSource> &sources,
                                                        const QString &text,
                                                        QStringList *errors = nullptr);

// Of the given paths, those whose last path component contains part.
QStringList filesWithNameContaining(const QStringList &paths, QStringView part,
                                    Qt::CaseSensitivity cs);
// The completions of the file-name field: none for a partial name shorter than two characters,
// else every name containing it in any letter case, in the given order.
QStringList fileNameCompletions(const QStringList &names, QStringView partial);

} // namespace corvane
