// corvane index PROJECT and corvane lookup, run as programs over a project written here.
#include "project/mydocument.h"
#include "support/testutil.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace
{

class IndexCommand : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString project;

    void SetUp() override
    {
        writeFile(dir.filePath("geo.f90"),
                  "module geo\n type :: point\n  real :: x, y\n end type\n real :: g = 9.81\n"
                  "contains\n function dist(p) result(d)\n  type(point) :: p\n  real :: d\n"
                  " end function\nend module\n");
        writeFile(dir.filePath("main.f90"), "program main\n use geo\n type(point) :: here\n"
                                            "end program\nsubroutine helper(a)\n real :: a\nend\n");
        writeFile(dir.filePath("defs.inc"), "integer :: not_indexed\n");
        MyDocument document;
        document.addFileNames(
            {dir.filePath("geo.f90"), dir.filePath("main.f90"), dir.filePath("defs.inc")}, false);
        project = dir.filePath("demo.corvane");
        ASSERT_TRUE(document.write(project).ok());
    }
};

// One run of corvane lookup per case; stdout (or stderr for failures) must contain output.
struct LookupCase {
    const char *name;
    QStringList args;
    int exitCode;
    QByteArray output;
};

void expectLookups(const QString &project, const QString &dir, const QList<LookupCase> &cases)
{
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto r =
            runProgram(corvaneExecutable(), QStringList{"lookup", project} + c.args, {}, dir);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
        EXPECT_TRUE((c.exitCode == 0 ? r.out : r.err).contains(c.output))
            << r.out.toStdString() << r.err.toStdString();
    }
}

} // namespace

TEST_F(IndexCommand, CountsJsonAndSymbols)
{
    const auto r = runProgram(corvaneExecutable(), {"index", project, "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(r.out).object();
    const std::pair<const char *, int> want[] = {
        {"files", 2}, {"modules", 1},  {"globalProcedures", 2}, {"moduleProcedures", 1},
        {"types", 1}, {"variables", 5}};
    for (const auto &[key, value] : want)
        EXPECT_EQ(o.value(key).toInt(-1), value) << key;
    EXPECT_GE(o.value("seconds").toDouble(-1), 0.0);
    EXPECT_GT(o.value("peakMemoryMB").toDouble(), 0.0);

    const auto plain = runProgram(corvaneExecutable(), {"index", project, "--time"});
    EXPECT_TRUE(plain.out.contains("modules: 1\n")) << plain.out.toStdString();
    EXPECT_TRUE(plain.out.contains("peak memory: ")) << plain.out.toStdString();

    const auto symbols = runProgram(corvaneExecutable(), {"index", project, "--symbols"});
    const QJsonObject s = QJsonDocument::fromJson(symbols.out).object();
    EXPECT_EQ(s.keys(),
              QStringList({"Module_geo", "Procedure_helper", "Procedure_main", "dist_in_geo"}));
    EXPECT_EQ(
        s.value("Procedure_main").toObject().value("variableNames").toVariant().toStringList(),
        QStringList({"g", "here"}));

    EXPECT_EQ(runProgram(corvaneExecutable(), {"index", project, "--bogus"}).exitCode, 2);
    const auto missing = runProgram(corvaneExecutable(), {"index", dir.filePath("no.corvane")});
    EXPECT_NE(missing.exitCode, 0);
    EXPECT_FALSE(missing.err.isEmpty());
}

TEST_F(IndexCommand, Lookup)
{
    const QList<LookupCase> cases = {
        {"component through chain",
         {"x", "--file", "main.f90", "--procedure", "main", "--chain", "x%here"},
         0,
         " Variable Name: \tx\n Type:          \treal\n\n\n Declared in:\n\tType:      point\n"
         "\tModule:    geo\n\tFile:      geo.f90\n"},
        {"module by name", {"geo", "--file", "main.f90"}, 0, " Module Name:\tgeo\n"},
        {"used variable",
         {"g", "--file", "main.f90", "--procedure", "main"},
         0,
         "\tModule:    geo\n\tFile:      geo.f90"},
        {"intrinsic", {"Sqrt", "--file", "main.f90"}, 0, "intrinsic Sqrt\n"},
        {"not found", {"nothing", "--file", "main.f90", "--procedure", "main"}, 1, "not found\n"},
        {"file not in project", {"g", "--file", "other.f90"}, 1, "not a file of the project"},
        {"missing file option", {"g"}, 2, "usage: corvane lookup"},
    };
    expectLookups(project, dir.path(), cases);
}

// Names as the compiler sees them: PRIVATE names stay hidden, ONLY lists and renames decide the
// local names, and information on a renamed name describes the entity it names.
TEST(IndexCommandVisibility, LookupAndSymbolsFollowUseRules)
{
    QTemporaryDir dir;
    writeFile(dir.filePath("lib.f90"),
              "module lib\n private\n public :: visible_n, api\n integer :: visible_n, hidden_n\n"
              "contains\n subroutine api(x)\n  integer :: x\n end subroutine\n"
              " subroutine helper()\n end subroutine\nend module\n"
              "module shapes\n type :: point\n  real :: x, y\n end type\nend module\n");
    writeFile(dir.filePath("user.f90"),
              "module user\n use lib, only: first => visible_n, run => api\n"
              " use shapes, only: pt => point\n type(pt) :: p\ncontains\n"
              " subroutine work()\n  print *, first\n end subroutine\nend module\n");
    MyDocument document;
    document.addFileNames({dir.filePath("lib.f90"), dir.filePath("user.f90")}, false);
    const QString project = dir.filePath("vis.corvane");
    ASSERT_TRUE(document.write(project).ok());

    const QStringList inWork{"--file", "user.f90", "--module", "user", "--procedure", "work"};
    const QList<LookupCase> cases = {
        {"renamed variable", QStringList{"first"} + inWork, 0,
         " Variable Name: \tvisible_n\n Type:          \tinteger\n"},
        {"renamed variable's module", QStringList{"first"} + inWork, 0, "\tModule:    lib\n"},
        {"renamed procedure", QStringList{"run"} + inWork, 0, " Procedure Name:\tapi "},
        {"original name of a renamed variable", QStringList{"visible_n"} + inWork, 1,
         "not found\n"},
        {"private variable", QStringList{"hidden_n"} + inWork, 1, "not found\n"},
        {"private procedure", QStringList{"helper"} + inWork, 1, "not found\n"},
        {"component through a renamed type", QStringList{"x", "--chain", "x%p"} + inWork, 0,
         "\tType:      point\n\tModule:    shapes\n"},
    };
    expectLookups(project, dir.path(), cases);

    const auto symbols = runProgram(corvaneExecutable(), {"index", project, "--symbols"});
    ASSERT_EQ(symbols.exitCode, 0) << symbols.err.toStdString();
    const QJsonObject user =
        QJsonDocument::fromJson(symbols.out).object().value("Module_user").toObject();
    EXPECT_EQ(user.value("variableNames").toVariant().toStringList(),
              QStringList({"first", "p"}));
    EXPECT_EQ(user.value("typeNames").toVariant().toStringList(), QStringList({"pt"}));
    const QStringList subroutines =
        user.value("subroutineProcedureNames").toVariant().toStringList();
    ASSERT_EQ(subroutines.size(), 2);
    EXPECT_TRUE(subroutines[0].startsWith("run")) << qPrintable(subroutines.join(' '));
}
