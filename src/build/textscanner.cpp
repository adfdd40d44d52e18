#include "textscanner.h"

#include <limits>

namespace corvane
{

void TextScanner::skipSpace()
{
    while (m_pos < m_text.size() && m_text[m_pos].isSpace())
        ++m_pos;
}

std::optional<QStringView> TextScanner::takeUntil(qsizetype found)
{
    const qsizetype end = found < 0 ? m_text.size() : found;
    if (end <= m_pos)
        return std::nullopt;
    QStringView taken = m_text.sliced(m_pos, end - m_pos);
    m_pos = end;
    return taken;
}

std::optional<QStringView> TextScanner::takeUpTo(QStringView delimiter)
{
    skipSpace();
    if (m_pos >= m_text.size())
        return std::nullopt;
    return takeUntil(m_text.indexOf(delimiter, m_pos));
}

std::optional<QStringView> TextScanner::takeUpTo(QChar delimiter)
{
    skipSpace();
    if (m_pos >= m_text.size())
        return std::nullopt;
    return takeUntil(m_text.indexOf(delimiter, m_pos));
}

std::optional<QStringView> TextScanner::takeLine()
{
    std::optional<QStringView> line = takeUpTo(QLatin1Char('\n'));
    if (line && line->endsWith(QLatin1Char('\r')))
        line->chop(1);
    return line;
}

void TextScanner::stepOver(qsizetype n)
{
    m_pos = qMin(m_pos + qMax(n, qsizetype(0)), m_text.size());
}

bool TextScanner::atEnd() const
{
    for (qsizetype i = m_pos; i < m_text.size(); ++i)
        if (!m_text[i].isSpace())
            return false;
    return true;
}

qint64 leadingInteger(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    constexpr qint64 kMax = std::numeric_limits<qint64>::max();
    qint64 value = 0;
    for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
        const int digit = text[i].unicode() - '0';
        value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
    }
    return negative ? -value : value;
}

quint64 leadingNumber(QStringView text)
{
    const qint64 n = leadingInteger(text);
    return n < 0 ? 0 : quint64(n);
}

QStringView cutBefore(QStringView text, QStringView marker)
{
    const qsizetype at = text.indexOf(marker);
    return at < 0 ? text : text.first(at);
}

} // namespace corvane
