// Small helpers for comparing tokens (views into a statement) with lower-case keywords without
// allocating: the parser compares every token it looks at this way.
#pragma once

#include <QLatin1StringView>
#include <QStringView>

#include <initializer_list>

namespace corvane::tokens
{

// True when token, lower-cased, equals the lower-case ASCII keyword.
inline bool is(QStringView token, QLatin1StringView keyword)
{
    if (token.size() != keyword.size())
        return false;
    for (qsizetype i = 0; i < token.size(); ++i) {
        char16_t c = token[i].unicode();
        if (c >= 'A' && c <= 'Z')
            c += 'a' - 'A';
        if (c != char16_t(keyword[i].unicode()))
            return false;
    }
    return true;
}

inline bool isOneOf(QStringView token, std::initializer_list<QLatin1StringView> keywords)
{
    for (QLatin1StringView k : keywords) {
        if (is(token, k))
            return true;
    }
    return false;
}

// The token at i, or an empty view past the end.
template <typename List> QStringView at(const List &tokens, qsizetype i)
{
    return i >= 0 && i < tokens.size() ? QStringView(tokens[i]) : QStringView();
}

// True for a single-character token equal to c.
inline bool isChar(QStringView token, char16_t c)
{
    return token.size() == 1 && token[0].unicode() == c;
}

// True for a type_attr_spec word (the attributes accepted in declarations and in TYPE and
// PROCEDURE statements).
bool isTypeAttribute(QStringView token);

} // namespace corvane::tokens
