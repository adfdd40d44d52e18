#include "fttokenizer.h"

#include <array>
#include <functional>
#include <string_view>

namespace corvane
{

namespace
{

bool isDigit(QChar c)
{
    return c.unicode() >= '0' && c.unicode() <= '9';
}

bool allDigits(QStringView s)
{
    for (QChar c : s)
        if (!isDigit(c))
            return false;
    return true;
}

// An exponent at i: a letter e, d or q, an optional sign and a digit ("d0", "e-3").
bool isExponent(QStringView s, qsizetype i)
{
    if (i >= s.size() || !QStringView(u"eEdDqQ").contains(s[i]))
        return false;
    ++i;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-'))
        ++i;
    return i < s.size() && isDigit(s[i]);
}

bool isBlank(QChar c)
{
    return c.unicode() == ' ' || c.unicode() == '\t';
}

// Index just past the first c at or after from, or the end of s when there is none.
qsizetype endAfter(QStringView s, QChar c, qsizetype from)
{
    const qsizetype at = from < s.size() ? s.indexOf(c, from) : -1;
    return at < 0 ? s.size() : at + 1;
}

// Index just past the close that matches an open bracket before from (open and close nest,
// literals in quotes are passed over whole), or the end of s when there is none.
qsizetype endAfterMatching(QStringView s, QChar open, QChar close, qsizetype from)
{
    int depth = 1;
    for (qsizetype j = from; j < s.size();) {
        const QChar c = s[j];
        if (c == u'\'' || c == u'"') {
            j = endAfter(s, c, j + 1);
            continue;
        }
        if (c == open) {
            ++depth;
        } else if (c == close && --depth == 0) {
            return j + 1;
        }
        ++j;
    }
    return s.size();
}

// The ASCII characters that the tokenizer treats specially; everything else is a word character.
constexpr std::array<bool, 128> makeSpecial()
{
    std::array<bool, 128> t{};
    for (const char c : std::string_view(" %)*+,-/<>(\"'[.:="))
        t[static_cast<unsigned char>(c)] = true;
    return t;
}
constexpr std::array<bool, 128> kSpecial = makeSpecial();

} // namespace

namespace
{

// The tokenizer proper: hands each token of s to sink in order.
template <typename Sink>
void tokenizeInto(QStringView s, Sink &&sink)
{
    const qsizetype n = s.size();
    const QChar *d = s.data();
    qsizetype start = 0; // start of the pending run
    qsizetype i = 0;

    const auto flush = [&](qsizetype end) {
        if (end > start)
            sink(s.sliced(start, end - start));
        start = end;
    };
    const auto emitToken = [&](qsizetype from, qsizetype end) {
        sink(s.sliced(from, end - from));
        start = end;
        i = end;
    };

    while (i < n) {
        const char16_t c = d[i].unicode();
        if (c >= 128 || !kSpecial[c]) {
            ++i;
            continue;
        }
        switch (c) {
        case ' ':
            flush(i);
            start = ++i;
            break;
        case '%':
        case ')':
        case '*':
        case '+':
        case ',':
        case '-':
        case '/':
        case '<':
        case '>':
            flush(i);
            emitToken(i, i + 1);
            break;
        case '(':
            if (i + 1 < n && d[i + 1] == u'/') {
                // "(/ 1, f(2) /)": one token through its own "/)", together with a word
                // directly before it.
                emitToken(start, endAfterMatching(s, u'(', u')', i + 1));
            } else {
                flush(i);
                emitToken(i, i + 1);
            }
            break;
        case '"':
        case '\'':
            // A literal runs to the same quote; "it''s" thus gives 'it' and 's'.
            emitToken(start, endAfter(s, QChar(c), i + 1));
            break;
        case '[':
            if (i > start) {
                flush(i);
                emitToken(i, i + 1);
            } else {
                emitToken(i, endAfterMatching(s, u'[', u']', i + 1));
            }
            break;
        case '.': {
            bool inNumber = false;
            if (i > 0 && i + 1 < n) {
                const QChar prev = d[i - 1];
                const QChar next = d[i + 1];
                inNumber = (isDigit(prev) && isDigit(next)) || (isBlank(prev) && isDigit(next)) ||
                           (isDigit(prev) && isBlank(next));
            }
            // "0.d0", "1.e-3", "2.)": the point of a number whose run so far is all digits,
            // followed by an exponent or by no letter at all (not ".eq.", ".and.").
            if (!inNumber && i > start && isDigit(d[i - 1]) && allDigits(s.sliced(start, i - start)))
                inNumber = i + 1 >= n || !d[i + 1].isLetter() || isExponent(s, i + 1);
            if (inNumber) {
                ++i;
            } else {
                // An operator or logical constant: .and. .eq. .true.
                flush(i);
                emitToken(i, endAfter(s, u'.', i + 1));
            }
            break;
        }
        case ':':
            flush(i);
            if (i + 1 < n && d[i + 1] == u':') {
                i += 2;
                start = i;
            } else {
                emitToken(i, i + 1);
            }
            break;
        case '=':
            flush(i);
            emitToken(i, (i + 1 < n && d[i + 1] == u'>') ? i + 2 : i + 1);
            break;
        default:
            ++i;
            break;
        }
    }
    flush(n);
}

} // namespace

void FTTokenizer::tokenize(QStringView s, QList<QStringView> &out)
{
    out.clear();
    tokenizeInto(s, [&out](QStringView token) { out.append(token); });
}

void FTTokenizer::forEachToken(QStringView s, const std::function<void(QStringView)> &f)
{
    tokenizeInto(s, f);
}

QStringList FTTokenizer::tokenizeStatement(QStringView statement) const
{
    QList<QStringView> views;
    tokenize(statement, views);
    QStringList tokens;
    tokens.reserve(views.size());
    for (QStringView v : views)
        tokens.append(v.toString());
    return tokens;
}

QStringList FTTokenizer::tokenizeStatement(const QString &statement) const
{
    return tokenizeStatement(QStringView(statement));
}

QStringList FTTokenizer::tokenizeStatement(const std::optional<QString> &statement) const
{
    return statement ? tokenizeStatement(QStringView(*statement)) : QStringList();
}

} // namespace corvane
