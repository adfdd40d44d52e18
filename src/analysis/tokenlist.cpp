#include "tokenlist.h"

#include "fttokenizer.h"

#include <algorithm>
#include <bit>

namespace corvane
{

void TokenList::clear()
{
    m_views.clear();
    if (m_compact) {
        // Gives back what a long statement took.
        m_starts = {};
        m_lasts = {};
        m_before = {};
        m_compact = false;
    }
    m_count = 0;
    m_lastIndex = -1;
}

void TokenList::tokenize(QStringView statement)
{
    clear();
    if (statement.size() < kLongFrom) {
        FTTokenizer::tokenize(statement, m_views);
        return;
    }
    m_compact = true;
    m_text = statement.data();
    const size_t words = size_t(statement.size() + 63) / 64;
    m_starts.assign(words, 0);
    m_lasts.assign(words, 0);
    FTTokenizer::forEachToken(statement, [this](QStringView token) {
        const qsizetype first = token.data() - m_text;
        const qsizetype last = first + token.size() - 1; // tokens are never empty
        m_starts[size_t(first / 64)] |= quint64(1) << (first % 64);
        m_lasts[size_t(last / 64)] |= quint64(1) << (last % 64);
    });
    m_before.resize(words + 1);
    qsizetype count = 0;
    for (size_t w = 0; w < words; ++w) {
        m_before[w] = count;
        count += std::popcount(m_starts[w]);
    }
    m_before[words] = count;
    m_count = count;
    m_word = 0;
}

QStringView TokenList::compactAt(qsizetype i) const
{
    Q_ASSERT(i >= 0 && i < m_count);
    if (i == m_lastIndex)
        return m_last;
    // The word where token i starts: the one found last, the next, or a binary search.
    const auto holds = [this, i](qsizetype w) {
        return m_before[size_t(w)] <= i && i < m_before[size_t(w) + 1];
    };
    qsizetype w = m_word;
    if (!holds(w)) {
        if (w + 1 < qsizetype(m_starts.size()) && holds(w + 1))
            ++w;
        else
            w = std::upper_bound(m_before.begin(), m_before.end(), i) - m_before.begin() - 1;
    }
    quint64 bits = m_starts[size_t(w)];
    for (qsizetype skip = i - m_before[size_t(w)]; skip > 0; --skip)
        bits &= bits - 1;
    const qsizetype first = w * 64 + std::countr_zero(bits);
    // The token ends with the first last character at or after its first: tokens do not overlap.
    size_t lw = size_t(first / 64);
    quint64 ends = m_lasts[lw] & (~quint64(0) << (first % 64));
    while (ends == 0)
        ends = m_lasts[++lw];
    const qsizetype last = qsizetype(lw) * 64 + std::countr_zero(ends);
    m_word = w;
    m_lastIndex = i;
    m_last = QStringView(m_text + first, last - first + 1);
    return m_last;
}

} // namespace corvane
