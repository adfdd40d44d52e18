// TextSearch: find and replace in one text, the logic under the editor's find bar. The matching
// rule (letter case, whole words) is find in project's TextMatcher; this class adds what an
// editor needs on top: every match of the text in order, the next or previous match from a
// position with wrap-around, the "3 of 12" count, and replacements that the editor makes as one
// undo step each.
#pragma once

#include "build/projectfind.h"
#include "editor/textreplacement.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace corvane
{

// Undo titles of the find bar's replacements.
inline constexpr char kReplaceAction[] = "Replace";
inline constexpr char kReplaceAllAction[] = "Replace All";

// Where a next/previous search ended.
struct SearchHit {
    TextRange range;
    bool wrapped = false; // found only after passing the text's end (or start)

    bool operator==(const SearchHit &) const = default;
};

class TextSearch
{
public:
    // A plain text search (regular expressions are not offered here); an empty text finds nothing.
    TextSearch(const QString &pattern, bool caseSensitive, bool wholeWord);

    const QString &pattern() const { return m_pattern; }

    // Every match, left to right and without overlap: a match starts after the previous one ends.
    QList<TextRange> matches(QStringView text) const;

    // The first match starting at or after from; with wrap, else the text's first match.
    std::optional<SearchHit> findNext(QStringView text, qsizetype from, bool wrap = true) const;
    // The last match starting before before; with wrap, else the text's last match.
    std::optional<SearchHit> findPrevious(QStringView text, qsizetype before,
                                          bool wrap = true) const;

    // The position (from 0) of the match that is exactly range, or none.
    static std::optional<qsizetype> indexOfMatch(const QList<TextRange> &matches, TextRange range);
    // The find bar's count: "3 of 12" on a match, "12 matches" elsewhere, "No results".
    static QString countText(std::optional<qsizetype> index, qsizetype total);

    // Replaces the selection when it is exactly a match; none when it is not.
    std::optional<TextReplacement> replaceOne(QStringView text, TextRange selection,
                                              const QString &replacement) const;
    // Every match replaced, as one replacement from the first match's start to the last match's
    // end (one undo step); none when nothing matches. count gets the number of matches replaced.
    std::optional<TextReplacement> replaceAll(QStringView text, const QString &replacement,
                                              qsizetype *count = nullptr) const;

private:
    QString m_pattern;
    TextMatcher m_matcher;
};

} // namespace corvane
