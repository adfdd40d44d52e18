// The tokenizer: how statements split into tokens, including the quirks callers rely on
// (dropped "::", one-character operators, shallow handling of numbers and literals).
#include "analysis/fttokenizer.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace
{

struct TokenCase {
    const char *statement;
    QStringList tokens;
};

QString show(const QStringList &tokens)
{
    return "[" + tokens.join("|") + "]";
}

void expectTokens(const TokenCase &c)
{
    SCOPED_TRACE(c.statement);
    const QString statement = QString::fromUtf8(c.statement);
    const QStringList got = FTTokenizer().tokenizeStatement(QStringView(statement));
    EXPECT_EQ(show(got), show(c.tokens));
    for (const QString &t : got)
        EXPECT_FALSE(t.isEmpty());
    // The view form must give exactly the same tokens.
    QList<QStringView> views{u"stale"};
    FTTokenizer::tokenize(statement, views);
    QStringList fromViews;
    for (QStringView v : views)
        fromViews << v.toString();
    EXPECT_EQ(show(fromViews), show(c.tokens));
}

} // namespace

TEST(FTTokenizer, DeclarationsAndOperators)
{
    const TokenCase cases[] = {
        {"integer, intent(in) :: n", {"integer", ",", "intent", "(", "in", ")", "n"}},
        {"p => q", {"p", "=>", "q"}},
        {"a == b", {"a", "=", "=", "b"}},
        {"a /= b", {"a", "/", "=", "b"}},
        {"y = x**2", {"y", "=", "x", "*", "*", "2"}},
        {"c = a%b%c", {"c", "=", "a", "%", "b", "%", "c"}},
        {"if (a < b .or. c>=d) x=y-1",
         {"if", "(", "a", "<", "b", ".or.", "c", ">", "=", "d", ")", "x", "=", "y", "-", "1"}},
        {"x(:) = 0", {"x", "(", ":", ")", "=", "0"}},
        {"a(1::2)", {"a", "(", "1", "2", ")"}},
        {"use, intrinsic :: iso_c_binding", {"use", ",", "intrinsic", "iso_c_binding"}},
        {"character(len=*), parameter :: s",
         {"character", "(", "len", "=", "*", ")", ",", "parameter", "s"}},
        {"procedure(f), pointer :: p => null()",
         {"procedure", "(", "f", ")", ",", "pointer", "p", "=>", "null", "(", ")"}},
        {"   leading   and  trailing   ", {"leading", "and", "trailing"}},
        {"::", {}},
        {":::", {":"}},
        {"", {}},
        {" ", {}},
    };
    for (const auto &c : cases)
        expectTokens(c);
}

TEST(FTTokenizer, NumbersAndDottedOperators)
{
    const TokenCase cases[] = {
        {"if (a .eq. b) then", {"if", "(", "a", ".eq.", "b", ")", "then"}},
        {"b = .true.", {"b", "=", ".true."}},
        {"if(a.and.b)", {"if", "(", "a", ".and.", "b", ")"}},
        {"x = 3.14 * y", {"x", "=", "3.14", "*", "y"}},
        {"x = 1.5e-3", {"x", "=", "1.5e", "-", "3"}},
        {"x = 1.", {"x", "=", "1."}},
        {"x = .5", {"x", "=", ".5"}},
        {"x = 1. + y", {"x", "=", "1.", "+", "y"}},
        {"x = 1.e5", {"x", "=", "1.e5"}},
        {"real(kind(0.d0)) :: rr", {"real", "(", "kind", "(", "0.d0", ")", ")", "rr"}},
        {"x = 2.d-3*y", {"x", "=", "2.d", "-", "3", "*", "y"}},
        {"f(1.)", {"f", "(", "1.", ")"}},
        {"if (1.eq.n) x = 1.and.y", {"if", "(", "1", ".eq.", "n", ")", "x", "=", "1", ".and.", "y"}},
        {"if (x1.eq.2)", {"if", "(", "x1", ".eq.", "2", ")"}},
        {"x = 1\t.5", {"x", "=", "1\t.5"}},
        {".", {"."}},
        {"a .not", {"a", ".not"}},
        {"1.2.3", {"1.2.3"}},
    };
    for (const auto &c : cases)
        expectTokens(c);
}

TEST(FTTokenizer, LiteralsAndConstructors)
{
    const TokenCase cases[] = {
        {"call s('it''s')", {"call", "s", "(", "'it'", "'s'", ")"}},
        {"print *, \"a, b :: c\"", {"print", "*", ",", "\"a, b :: c\""}},
        {"x = 'unclosed, (rest", {"x", "=", "'unclosed, (rest"}},
        {"s = a'x'", {"s", "=", "a'x'"}},
        {"s = \"it's\"", {"s", "=", "\"it's\""}},
        {"integer :: v(3) = [1,2,3], w", {"integer", "v", "(", "3", ")", "=", "[1,2,3]", ",", "w"}},
        {"arr = (/ 1, 2 /)", {"arr", "=", "(/ 1, 2 /)"}},
        {"arr = x(/ 1 /) + 1", {"arr", "=", "x(/ 1 /)", "+", "1"}},
        {"arr = (/ 1, 2", {"arr", "=", "(/ 1, 2"}},
        // A constructor ends at its own close, past nested brackets and quoted ones.
        {"a = (/ 1.0, f(2), 3.0 /), b", {"a", "=", "(/ 1.0, f(2), 3.0 /)", ",", "b"}},
        {"s = (/ 'a)', \")\" /)", {"s", "=", "(/ 'a)', \")\" /)"}},
        {"v = [[1, 2], [3]] + 1", {"v", "=", "[[1, 2], [3]]", "+", "1"}},
        {"v = ['a]', g(x(1))]", {"v", "=", "['a]', g(x(1))]"}},
        {"interface operator(//)", {"interface", "operator(//)"}},
        {"interface operator(/=)", {"interface", "operator(/=)"}},
        {"v = [1, 2", {"v", "=", "[1, 2"}},
        {"a[2] = 1", {"a", "[", "2]", "=", "1"}},
        {"x = a[i, j]", {"x", "=", "a", "[", "i", ",", "j]"}},
        {"#include \"defs.h\"", {"#include", "\"defs.h\""}},
    };
    for (const auto &c : cases)
        expectTokens(c);
}

TEST(FTTokenizer, WordCharactersAndUnicode)
{
    const TokenCase cases[] = {
        {"integer\tx", {"integer\tx"}},
        {"x = y ! note", {"x", "=", "y", "!", "note"}},
        {"größe = ñ + 1", {"größe", "=", "ñ", "+", "1"}},
        {"s = 'héllo wörld'", {"s", "=", "'héllo wörld'"}},
        {"𝑥 = 1", {"𝑥", "=", "1"}},
        {"a$b&c;d?e", {"a$b&c;d?e"}},
    };
    for (const auto &c : cases)
        expectTokens(c);
}

TEST(FTTokenizer, AbsentAndEmptyStatementsGiveNoTokens)
{
    const FTTokenizer t;
    EXPECT_TRUE(t.tokenizeStatement(std::optional<QString>()).isEmpty());
    EXPECT_TRUE(t.tokenizeStatement(std::optional<QString>(QString())).isEmpty());
    EXPECT_TRUE(t.tokenizeStatement(QStringView()).isEmpty());
    EXPECT_EQ(t.tokenizeStatement(std::optional<QString>("end do")), QStringList({"end", "do"}));
    EXPECT_EQ(t.tokenizeStatement(QString("end do")), QStringList({"end", "do"}));
    EXPECT_EQ(t.tokenizeStatement(u"end do"), QStringList({"end", "do"}));
}
