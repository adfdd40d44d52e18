#include "linereadout.h"

#include "textreplacement.h"

#include <limits>

namespace corvane
{

namespace
{

qsizetype lineStartOf(QStringView text, qsizetype pos)
{
    while (pos > 0 && text[pos - 1] != u'\n')
        --pos;
    return pos;
}

qsizetype lineEndOf(QStringView text, qsizetype pos)
{
    const qsizetype feed = text.indexOf(u'\n', pos);
    return feed < 0 ? text.size() : feed;
}

} // namespace

LineReadout LineReadout::scanForLineAndColumn(QStringView text, TextRange selection)
{
    const TextRange safe = safeRangeForRange(selection, quint64(text.size()));
    const qsizetype start = qsizetype(safe.location);
    return scanForLineAndColumn(text, selection, quint64(text.first(start).count(u'\n')) + 1,
                                text.count(u'\n'));
}

LineReadout LineReadout::scanForLineAndColumn(QStringView text, TextRange selection,
                                              quint64 lineOfStart, qsizetype lineFeeds)
{
    const TextRange safe = safeRangeForRange(selection, quint64(text.size()));
    const qsizetype start = qsizetype(safe.location);
    qsizetype end = start + qsizetype(safe.length);
    if (end > start && text[end - 1] == u'\n')
        --end;
    const quint64 s = lineOfStart;
    const quint64 e = s + quint64(text.mid(start, end - start).count(u'\n'));
    const quint64 lines = quint64(lineFeeds) + 1;
    const qsizetype startLine = lineStartOf(text, start);
    const qsizetype endLine = lineStartOf(text, end);
    const quint64 a = quint64(start - startLine);
    const quint64 x = quint64(end - endLine);
    const quint64 width = quint64(lineEndOf(text, end) - endLine);

    LineReadout r;
    r.currentLineNumber = s;
    r.numberOfLines = lines;
    r.numberOfColumns = width;
    if (s == e) {
        const quint64 n = quint64(end - start);
        r.currentLineNumbers = QStringLiteral("%1/%2").arg(s).arg(lines);
        r.currentColumnNumbers =
            n > 0 ? QStringLiteral("%1:%2(%3)/%4").arg(a + 1).arg(x).arg(n).arg(width)
                  : QStringLiteral("%1/%2").arg(a).arg(width);
    } else {
        r.currentLineNumbers =
            QStringLiteral("%1:%2(%3)/%4").arg(s).arg(e).arg(e - s + 1).arg(lines);
        r.currentColumnNumbers = QStringLiteral("%1:%2/%3").arg(a + 1).arg(x).arg(width);
    }
    return r;
}

std::optional<qint64> TextNavigation::lineForField(QStringView field, qsizetype textLength)
{
    const qsizetype slash = field.indexOf(u'/');
    QStringView number = (slash < 0 ? field : field.first(slash)).trimmed();
    // The field's value read as an integer: its leading digits with an optional sign, 0 without.
    qsizetype i = 0;
    const bool negative = i < number.size() && number[i] == u'-';
    if (i < number.size() && (number[i] == u'-' || number[i] == u'+'))
        ++i;
    qint64 value = 0;
    for (; i < number.size() && number[i].isDigit(); ++i) {
        const int digit = number[i].digitValue();
        if (value > (std::numeric_limits<qint64>::max() - digit) / 10) {
            value = std::numeric_limits<qint64>::max();
            break;
        }
        value = value * 10 + digit;
    }
    if (negative)
        value = -value;
    if (value >= qint64(textLength))
        return std::nullopt;
    return value;
}

TextRange TextNavigation::rangeOfLine(QStringView text, qint64 n)
{
    qsizetype start = 0;
    for (qint64 line = 1; line < n; ++line) {
        const qsizetype feed = text.indexOf(u'\n', start);
        if (feed < 0)
            break; // fewer lines: the last one
        start = feed + 1;
    }
    const qsizetype feed = text.indexOf(u'\n', start);
    const qsizetype end = feed < 0 ? text.size() : feed + 1;
    return {quint64(start), quint64(end - start)};
}

std::optional<TextRange> TextNavigation::nextInsertMarker(QStringView text, TextRange selection)
{
    const TextRange safe = safeRangeForRange(selection, quint64(text.size()));
    qsizetype from = qsizetype(safe.location);
    if (safe.length == 2 && text[from + 1] == u'^')
        from += 2;
    const qsizetype found = text.indexOf(QLatin1StringView(kInsertMarker), from);
    if (found < 0)
        return std::nullopt;
    return TextRange{quint64(found), 2};
}

} // namespace corvane
