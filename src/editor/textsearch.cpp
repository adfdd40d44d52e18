#include "editor/textsearch.h"

#include <QCoreApplication>

#include <algorithm>

namespace corvane
{

TextSearch::TextSearch(const QString &pattern, bool caseSensitive, bool wholeWord)
    : m_pattern(pattern), m_matcher(pattern, FindOptions{caseSensitive, wholeWord, false})
{
}

QList<TextRange> TextSearch::matches(QStringView text) const
{
    QList<TextRange> found;
    qsizetype from = 0;
    qsizetype length = 0;
    while (from <= text.size()) {
        const qsizetype at = m_matcher.indexIn(text, from, &length);
        if (at < 0 || length <= 0)
            break;
        found.append({quint64(at), quint64(length)});
        from = at + length;
    }
    return found;
}

std::optional<SearchHit> TextSearch::findNext(QStringView text, qsizetype from, bool wrap) const
{
    const QList<TextRange> all = matches(text);
    if (all.isEmpty())
        return std::nullopt;
    const auto it = std::find_if(all.cbegin(), all.cend(), [from](const TextRange &r) {
        return qsizetype(r.location) >= from;
    });
    if (it != all.cend())
        return SearchHit{*it, false};
    if (!wrap)
        return std::nullopt;
    return SearchHit{all.first(), true};
}

std::optional<SearchHit> TextSearch::findPrevious(QStringView text, qsizetype before,
                                                  bool wrap) const
{
    const QList<TextRange> all = matches(text);
    if (all.isEmpty())
        return std::nullopt;
    const auto it = std::find_if(all.crbegin(), all.crend(), [before](const TextRange &r) {
        return qsizetype(r.location) < before;
    });
    if (it != all.crend())
        return SearchHit{*it, false};
    if (!wrap)
        return std::nullopt;
    return SearchHit{all.last(), true};
}

std::optional<qsizetype> TextSearch::indexOfMatch(const QList<TextRange> &matches, TextRange range)
{
    const auto it = std::lower_bound(
        matches.cbegin(), matches.cend(), range.location,
        [](const TextRange &r, quint64 location) { return r.location < location; });
    if (it == matches.cend() || !(*it == range))
        return std::nullopt;
    return qsizetype(it - matches.cbegin());
}

QString TextSearch::countText(std::optional<qsizetype> index, qsizetype total)
{
    if (total <= 0)
        return QCoreApplication::translate("TextSearch", "No results");
    if (index)
        return QCoreApplication::translate("TextSearch", "%1 of %2")
            .arg(QString::number(*index + 1), QString::number(total));
    return total == 1 ? QCoreApplication::translate("TextSearch", "1 match")
                      : QCoreApplication::translate("TextSearch", "%1 matches").arg(total);
}

std::optional<TextReplacement> TextSearch::replaceOne(QStringView text, TextRange selection,
                                                      const QString &replacement) const
{
    if (!indexOfMatch(matches(text), selection))
        return std::nullopt;
    return TextReplacement{selection, replacement, QString::fromLatin1(kReplaceAction)};
}

std::optional<TextReplacement> TextSearch::replaceAll(QStringView text, const QString &replacement,
                                                      qsizetype *count) const
{
    const QList<TextRange> all = matches(text);
    if (count)
        *count = all.size();
    if (all.isEmpty())
        return std::nullopt;
    const TextRange span = rangeForRanges(all);
    QString replaced;
    qsizetype at = qsizetype(span.location);
    for (const TextRange &r : all) {
        replaced += text.sliced(at, qsizetype(r.location) - at);
        replaced += replacement;
        at = qsizetype(r.location + r.length);
    }
    return TextReplacement{span, replaced, QString::fromLatin1(kReplaceAllAction)};
}

} // namespace corvane
