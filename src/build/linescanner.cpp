#include "linescanner.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// The first index in [from, end) whose character, ORed with 0x20, is letter; end when none.
// Eight characters at a time where SSE2 is there.
qsizetype nextWithLetter(const char16_t *data, qsizetype from, qsizetype end, char16_t letter)
{
    qsizetype i = from;
#if defined(__SSE2__)
    const __m128i caseBit = _mm_set1_epi16(0x20);
    const __m128i wanted = _mm_set1_epi16(static_cast<short>(letter));
    for (; i + 8 <= end; i += 8) {
        const __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + i));
        const int hits = _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_or_si128(chars, caseBit), wanted));
        if (hits)
            return i + __builtin_ctz(unsigned(hits)) / 2;
    }
#endif
    for (; i < end; ++i)
        if (char16_t(data[i] | 0x20) == letter)
            return i;
    return end;
}

// Where keyword occurs from `from` on in any letter case, or -1. Qt's case-insensitive search
// folds every character of the text through the Unicode tables, which was most of the scan's
// time; for a keyword of lower-case ASCII letters one OR per character tells an ASCII letter's
// case apart (no other character ORed with 0x20 becomes a lower-case ASCII letter). A line
// found only through Unicode folding ("uſe") would be refused by the callers' keyword check.
qsizetype indexOfKeyword(QStringView text, QStringView keyword, qsizetype from)
{
    const bool plain =
        !keyword.isEmpty() && std::all_of(keyword.begin(), keyword.end(), [](QChar c) {
            return c >= QLatin1Char('a') && c <= QLatin1Char('z');
        });
    if (!plain)
        return text.indexOf(keyword, from, Qt::CaseInsensitive);
    const char16_t *data = text.utf16();
    const char16_t *word = keyword.utf16();
    const qsizetype length = keyword.size();
    const qsizetype end = text.size() - length + 1; // past the last place it can start
    for (qsizetype i = nextWithLetter(data, from, end, word[0]); i < end;
         i = nextWithLetter(data, i + 1, end, word[0])) {
        qsizetype k = 1;
        while (k < length && char16_t(data[i + k] | 0x20) == word[k])
            ++k;
        if (k == length)
            return i;
    }
    return -1;
}
} // namespace

std::optional<QStringList> LineScanner::tokensFromLineWithKeyword(QStringView keyword)
{
    const qsizetype size = m_text.size();
    qsizetype hit =
        m_position < size ? indexOfKeyword(m_text, keyword, m_position) : -1;
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
