#include "textreplacement.h"

#include <algorithm>

namespace corvane
{

TextRange safeRangeForRange(TextRange range, quint64 textLength)
{
    const quint64 location = std::min(range.location, textLength);
    return {location, std::min(range.length, textLength - location)};
}

TextRange rangeForRanges(const QList<TextRange> &ranges)
{
    if (ranges.isEmpty())
        return {};
    const TextRange &first = ranges.first();
    const TextRange &last = ranges.last();
    const quint64 end = std::max(first.location, last.location + last.length);
    return {first.location, end - first.location};
}

TextRange lineRangeForRange(QStringView text, TextRange range)
{
    const TextRange safe = safeRangeForRange(range, quint64(text.size()));
    qsizetype start = qsizetype(safe.location);
    while (start > 0 && text[start - 1] != u'\n')
        --start;
    // The last character of the range decides its line: a range ending just after a line feed
    // does not take the next line.
    qsizetype end = qsizetype(safe.location + safe.length);
    if (safe.length > 0 && text[end - 1] == u'\n')
        return {quint64(start), quint64(end - start)};
    const qsizetype feed = text.indexOf(u'\n', end);
    end = feed < 0 ? text.size() : feed + 1;
    return {quint64(start), quint64(end - start)};
}

TextRange applyReplacement(QString &text, const TextReplacement &replacement)
{
    const TextRange range = safeRangeForRange(replacement.rangeValue, quint64(text.size()));
    text.replace(qsizetype(range.location), qsizetype(range.length), replacement.replacementString);
    return lineRangeForRange(text, {range.location, quint64(replacement.replacementString.size())});
}

} // namespace corvane
