// TokenList: a long statement's compact form gives the same tokens as the list of views, read in
// order, backwards, again at the same place and by jumps.
#include "analysis/fttokenizer.h"
#include "analysis/tokenlist.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace
{

// piece repeated until the statement is long enough for the compact form, then tail.
QString longStatement(const QString &head, const QString &piece, const QString &tail)
{
    QString s = head;
    while (s.size() < TokenList::kLongFrom + 100)
        s += piece;
    return s + tail;
}

} // namespace

TEST(TokenList, CompactFormGivesTheTokensOfTheListForm)
{
    const QString astral = QString::fromUcs4(U"\U0001D465"); // a letter outside the BMP
    const struct {
        const char *what;
        QString statement;
    } cases[] = {
        {"short tokens", longStatement("data t / ", "1.5, ", "0.0 /")},
        {"one-character tokens", longStatement("x = ", "a+b-", "c")},
        {"adjacent tokens", longStatement("call f(", "g(h(1)),", "2)")},
        {"one huge token among short ones",
         longStatement("real, parameter :: t(*) = [", "1.0, 2.0, ", "0.0], u = 1")},
        {"wide characters", longStatement("s = ", astral + "a " + astral + ", ", "z")},
        {"long blank runs", longStatement("call f(", QString(70, u' ') + "x,", "y)")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        QList<QStringView> want;
        FTTokenizer::tokenize(c.statement, want);
        TokenList got;
        got.tokenize(c.statement);
        ASSERT_TRUE(got.isCompact());
        ASSERT_EQ(got.size(), want.size());
        for (qsizetype i = 0; i < want.size(); ++i) {
            ASSERT_EQ(got[i].data(), want[i].data()) << i;
            ASSERT_EQ(got[i].size(), want[i].size()) << i;
        }
        for (qsizetype i = want.size() - 1; i >= 0; i -= 7)
            ASSERT_EQ(got[i], want[i]) << i;
        for (qsizetype step = 1; step < want.size(); step = step * 3 + 1) {
            const qsizetype i = (step * 7919) % want.size();
            ASSERT_EQ(got[i].data(), want[i].data()) << i;
            ASSERT_EQ(got[i], got.value(i));
        }
        EXPECT_EQ(got.value(-1), QStringView());
        EXPECT_EQ(got.value(want.size()), QStringView());

        // A short statement after a long one is held as a list again.
        got.tokenize(u"integer :: n");
        EXPECT_FALSE(got.isCompact());
        EXPECT_EQ(got.size(), 2);
        EXPECT_EQ(got[1], u"n");
    }
}

TEST(TokenList, StatementsJustBelowTheLengthStayAList)
{
    const QString statement = QString(TokenList::kLongFrom - 1, u'a');
    TokenList tokens;
    tokens.tokenize(statement);
    EXPECT_FALSE(tokens.isCompact());
    ASSERT_EQ(tokens.size(), 1);
    EXPECT_EQ(tokens[0].size(), statement.size());
    tokens.tokenize(statement + u'a');
    EXPECT_TRUE(tokens.isCompact());
    ASSERT_EQ(tokens.size(), 1);
    EXPECT_EQ(tokens[0].size(), statement.size() + 1);
}
