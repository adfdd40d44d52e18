// Statements longer than 64 K characters (generated tables, long argument lists, long continued
// declarations): read as views, with compact tokens, parsed as ordinary statements are; initial
// values beyond the limit are cut.
#include "analysis/ffileparser.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace
{

// piece(i) for i = 0, 1, ... joined until the text is at least length characters.
template <typename Piece> QString repeated(qsizetype length, Piece piece)
{
    QString s;
    for (int i = 0; s.size() < length; ++i)
        s += piece(i);
    return s;
}

std::shared_ptr<FProgramUnit> unitOf(const FFileDeclarations &d, const QString &name)
{
    if (auto m = lookupDeclaration(d.modules, name))
        return m;
    return lookupDeclaration(d.nonModuleProcedures, name);
}

constexpr qsizetype kLong = TokenList::kLongFrom + 1000;

} // namespace

TEST(FFileParserLongStatements, InitialValuesAreCutAtTheLimitAndTheRestOfTheStatementIsRead)
{
    const qsizetype limit = FFileParser::kMaxValueLength;
    const QString table = repeated(kLong, [](int i) { return QString::number(i % 97) + ".5, "; });
    const QString sum = repeated(kLong, [](int) { return QStringLiteral("1+"); });
    const QString exact = QString(limit - 2, u'a');
    const struct {
        const char *what;
        QString declaration;
        QString name;
        QString wantStart;
        qsizetype wantLength; // with "..." when cut
        bool cut;
    } cases[] = {
        {"one huge token", "real, parameter :: t(*) = [" + table + "0.0], u = 1", "t",
         "[0.5, 1.5, ", limit + 3, true},
        {"many short tokens", "integer, parameter :: k = " + sum + "1, u = 1", "k", "1+1+1",
         limit + 3, true},
        {"a value of the limit exactly", "character(*), parameter :: s = '" + exact + "', u = 1",
         "s", "'aaa", limit, false},
        {"a value one longer", "character(*), parameter :: s = '" + exact + "a', u = 1", "s",
         "'aaa", limit + 3, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const QString source = "module m\n  " + c.declaration + "\nend module m\n";
        FFileParser parser;
        const auto d = parser.declarationsInFortranFile("/p/t.f90", source, 1);
        const auto m = unitOf(*d, "m");
        ASSERT_TRUE(m);
        const auto v = lookupDeclaration(m->variables, c.name);
        const auto u = lookupDeclaration(m->variables, "u");
        ASSERT_TRUE(v);
        ASSERT_TRUE(u);
        // Tokens are joined without the blanks between them; "[...]" is one token.
        EXPECT_TRUE(v->declaredValue.startsWith(c.wantStart))
            << qPrintable(v->declaredValue.left(40));
        EXPECT_EQ(v->declaredValue.size(), c.wantLength);
        EXPECT_EQ(v->declaredValue.endsWith(u"..."), c.cut);
        EXPECT_EQ(u->declaredValue, u"1");
        EXPECT_EQ(m->variables->size(), 2);
    }
}

TEST(FFileParserLongStatements, LongStatementsAreParsedAsShortOnesAre)
{
    // Continued over thousands of lines, with comment lines between some of them: joined (a
    // copy), then held as compact tokens.
    const QString continued = repeated(kLong, [](int i) {
        return QString("a%1, &\n%2      ").arg(i).arg(i % 50 == 0 ? "  ! a comment\n" : "");
    });
    const QString arguments = repeated(kLong, [](int i) { return QString("x%1, ").arg(i); });
    const QString call = repeated(kLong, [](int i) { return QString("%1, ").arg(i % 10); });
    const QString source = QStringLiteral("module m\n  integer :: %1zlast\n"
                                          "contains\n  integer function f(%2xlast)\n"
                                          "    call g(%3 0)\n"
                                          "    data f / %3 0 /\n"
                                          "  end function f\n"
                                          "  subroutine after\n  end subroutine after\n"
                                          "end module m\n")
                               .arg(continued, arguments, call);
    FFileParser parser;
    const auto d = parser.declarationsInFortranFile("/p/t.f90", source, 1);
    const auto m = unitOf(*d, "m");
    ASSERT_TRUE(m);
    ASSERT_TRUE(m->variables);
    const qsizetype names = continued.count(u',') + 1;
    EXPECT_EQ(m->variables->size(), names);
    EXPECT_TRUE(lookupDeclaration(m->variables, "a0"));
    EXPECT_TRUE(lookupDeclaration(m->variables, "zlast"));
    const auto f = lookupDeclaration(m->procedures, "f");
    ASSERT_TRUE(f);
    EXPECT_EQ(f->pUnitType, FunctionType);
    ASSERT_TRUE(f->arguments);
    EXPECT_EQ(f->arguments->size(), arguments.count(u',') + 1);
    EXPECT_EQ(f->arguments->last()->name, u"xlast");
    // The CALL and DATA statements declare nothing: f's variables are its arguments.
    EXPECT_EQ(f->variables->size(), f->arguments->size());
    EXPECT_TRUE(lookupDeclaration(m->procedures, "after"));
}
