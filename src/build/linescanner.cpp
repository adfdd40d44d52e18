#include "linescanner.h"

namespace corvane
{

namespace
{
bool isLineBreak(QChar c)
{
    return c == QLatin1Char('\n') || c == QLatin1Char('\r');
}
bool isSeparator(QChar c)
{
    return c == QLatin1Char(',') || c == QLatin1Char(' ') || c == QLatin1Char('\n') ||
           c == QLatin1Char(':');
}
} // namespace

std::optional<QStringList> LineScanner::tokensFromLineWithKeyword(QStringView keyword)
{
    const qsizetype size = m_text.size();
    qsizetype hit =
        m_position < size ? m_text.indexOf(keyword, m_position, Qt::CaseInsensitive) : -1;
    if (hit < 0)
        hit = size;
    qsizetype start = hit;
    while (start > 0 && !isLineBreak(m_text[start - 1]))
        --start;
    qsizetype end = hit;
    while (end < size && !isLineBreak(m_text[end]))
        ++end;
    if (end < size) {
        const bool crlf = m_text[end] == QLatin1Char('\r') && end + 1 < size &&
                          m_text[end + 1] == QLatin1Char('\n');
        end += crlf ? 2 : 1;
    }
    m_position = end;
    if (end == start)
        return std::nullopt;
    return tokensOfLine(QStringView(m_text).mid(start, end - start));
}

QStringList LineScanner::tokensOfLine(QStringView line)
{
    const QStringView trimmed = line.trimmed();
    QStringList tokens;
    qsizetype pieceStart = 0;
    for (qsizetype i = 0; i <= trimmed.size(); ++i) {
        if (i == trimmed.size() || isSeparator(trimmed[i])) {
            if (i > pieceStart)
                tokens << trimmed.mid(pieceStart, i - pieceStart).toString();
            pieceStart = i + 1;
        }
    }
    return tokens;
}

} // namespace corvane
