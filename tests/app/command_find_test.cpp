// corvane find: plain and JSON output of the text search, its options and exit status, and the
// file-name search.
#include "project/mydocument.h"
#include "support/testutil.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace corvane
{
namespace
{

TEST(FindCommand, TextAndFileNames)
{
    QTemporaryDir dir;
    const QString a = dir.path() + "/alpha.f90";
    const QString b = dir.path() + "/Beta.f";
    test::writeFile(a, QString("module alpha\n  real :: é = 1 ! Total\nend module\n").toUtf8());
    test::writeFile(b, "      TOTAL = 2\r\n      totals = 3\r\n");
    const QString project = dir.path() + "/Demo.corvane";
    {
        MyDocument document;
        document.addFileNames({b, a}, false);
        ASSERT_TRUE(document.write(project).ok());
    }
    const struct {
        QStringList args;
        int status;
        QString out, err;
    } cases[] = {
        {{"total"},
         0,
         a + ":2:19: real :: é = 1 ! Total\n" + b + ":1:7: TOTAL = 2\n" + b + ":2:7: totals = 3\n",
         ""},
        {{"total", "--case"}, 0, b + ":2:7: totals = 3\n", ""},
        {{"total", "--word", "--json"},
         0,
         "{\"file\": \"" + a + "\", \"line\": 2, \"column\": 18, \"text\": \"real :: é = 1 ! Total\"}\n"
         "{\"file\": \"" + b + "\", \"line\": 1, \"column\": 6, \"text\": \"TOTAL = 2\"}\n",
         ""},
        {{"^ +t\\w+s", "--regex"}, 0, b + ":2:1: totals = 3\n", ""},
        {{"nowhere"}, 1, "", "The string \"nowhere\" could not be found\n"},
        {{"(", "--regex"}, 2, "", "corvane find: The regular expression \"(\" is not valid"},
        {{"--file", "ALPHA"}, 0, a + "\n", ""},
        {{"--file", "ALPHA", "--case"}, 1, "", "no project file name contains \"ALPHA\""},
        {{"--file", "a."}, 0, a + "\n" + b + "\n", ""},
        {{}, 2, "", "usage: corvane find PROJECT TEXT"},
        {{"x", "--bogus"}, 2, "", "unexpected argument \"--bogus\""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const test::ProgramResult r =
            test::runProgram(test::corvaneExecutable(), QStringList{"find", project} + c.args);
        EXPECT_EQ(r.exitCode, c.status) << r.err.toStdString();
        EXPECT_EQ(QString::fromUtf8(r.out), c.out);
        EXPECT_TRUE(QString::fromUtf8(r.err).contains(c.err)) << r.err.toStdString();
    }
}

} // namespace
} // namespace corvane
