// corvane structure: the editor's structure commands on files, their JSON lines, the text read as
// loading reads it (CRLF, non-ASCII columns) and the messages for bad requests.
#include "support/testutil.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace corvane::test;

namespace
{

class StructureCommand : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // CRLF line ends and a non-ASCII comment before the code columns are counted in.
        writeFile(path("geo.f90"), "!@mark - Geometry \xC3\xA9\r\n"
                                   "module geo\r\n"
                                   "  interface area\r\n"
                                   "    module procedure circle_area\r\n"
                                   "  end interface\r\n"
                                   "contains\r\n"
                                   "  subroutine grow(s) ! \xC3\xA9\xC3\xA9\r\n"
                                   "    x = s%centre%\r\n"
                                   "    y = f(a(1) + b) ! \xF0\x9D\x84\x9E (x)\r\n"
                                   "  end subroutine\r\n"
                                   "  real function(x)\r\n"
                                   "end module\r\n");
        writeFile(path("old.f"), "*     SUBROUTINE X\n      SUBROUTINE CALC(A)\n      END\n");
    }

    QString path(const QString &name) const { return m_dir.filePath(name); }

    ProgramResult run(QStringList args) const
    {
        args.prepend("structure");
        return runProgram(corvaneExecutable(), args);
    }

    QTemporaryDir m_dir;
};

TEST_F(StructureCommand, JumpList)
{
    const ProgramResult r = run({"jumplist", path("geo.f90")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QByteArray("{\"line\": 1, \"text\": \"Top\"}\n"
                                "{\"line\": 1, \"text\": \"!@mark - Geometry \xC3\xA9\"}\n"
                                "{\"line\": 2, \"text\": \"module geo\"}\n"
                                "{\"line\": 7, \"text\": \"subroutine grow\"}\n"
                                "{\"line\": null, \"text\": \"function x\"}\n"
                                "{\"line\": 13, \"text\": \"End\"}\n"));
}

TEST_F(StructureCommand, FormByExtensionOrOption)
{
    const QByteArray fixed = "{\"line\": 1, \"text\": \"Top\"}\n"
                             "{\"line\": 2, \"text\": \"subroutine CALC\"}\n"
                             "{\"line\": 4, \"text\": \"End\"}\n";
    EXPECT_EQ(run({"jumplist", path("old.f")}).out, fixed);
    const QByteArray free = run({"jumplist", path("old.f"), "--free"}).out;
    EXPECT_TRUE(free.contains("\"subroutine X\"")) << free.toStdString();
}

TEST_F(StructureCommand, ScopeRecords)
{
    const struct {
        QStringList args;
        QByteArray want;
    } cases[] = {
        {{"8", "18"},
         "{\"name\": \"\", \"procedure\": \"grow\", \"module\": \"geo\", \"variableChain\": "
         "[\"centre\", \"s\"], \"derivedTypeComponent\": true}\n"},
        {{"8", "11", "--select", "6"},
         "{\"name\": \"centre\", \"procedure\": \"grow\", \"module\": \"geo\", \"variableChain\": "
         "[\"centre\", \"s\"], \"derivedTypeComponent\": false}\n"},
        {{"1", "1"},
         "{\"name\": \"\", \"procedure\": \"Top\", \"module\": null, \"variableChain\": "
         "null, \"derivedTypeComponent\": false}\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const ProgramResult r = run(QStringList{"scope", path("geo.f90")} + c.args);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(r.out, c.want);
    }
}

TEST_F(StructureCommand, CompleteEnd)
{
    EXPECT_EQ(run({"complete-end", path("geo.f90"), "7", "5"}).out,
              QByteArray("{\"lineNumber\": 10, \"line\": \"  end subroutine grow\"}\n"));
    EXPECT_EQ(run({"complete-end", path("geo.f90"), "2"}).out,
              QByteArray("{\"lineNumber\": 12, \"line\": \"end module geo\"}\n"));
    EXPECT_EQ(run({"complete-end", path("geo.f90"), "8"}).out, QByteArray("null\n"));
}

TEST_F(StructureCommand, Brackets)
{
    const struct {
        const char *line;
        const char *column;
        QByteArray want;
    } cases[] = {
        {"9", "19", "{\"start\": [9, 10], \"end\": [9, 19]}\n"},
        {"9", "10", "{\"start\": [9, 10], \"end\": [9, 19]}\n"},
        {"9", "25", "{\"start\": [9, 25], \"end\": [9, 27]}\n"}, // columns after a 2-unit character
        {"7", "18", "{\"start\": [7, 18], \"end\": [7, 20]}\n"},
        {"9", "5", "null\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.column);
        EXPECT_EQ(run({"bracket", path("geo.f90"), c.line, c.column}).out, c.want);
    }
    writeFile(path("open.f90"), "x = (a\n");
    EXPECT_EQ(run({"bracket", path("open.f90"), "1", "5"}).out, QByteArray("{\"beep\": true}\n"));
}

TEST_F(StructureCommand, BadRequestsAreToldOnStderr)
{
    const struct {
        QStringList args;
        int exitCode;
        const char *message;
    } cases[] = {
        {{"jumplist", path("missing.f90")}, 1, "cannot read"},
        {{"jumplist", m_dir.path()}, 1, "it is a folder"},
        {{"scope", path("geo.f90"), "99", "1"}, 1, "has no line 99"},
        {{"scope", path("geo.f90"), "0", "1"}, 2, "count from 1"},
        {{"bracket", path("geo.f90"), "1"}, 2, "usage"},
        {{"outline", path("geo.f90")}, 2, "unknown structure command"},
        {{"jumplist", path("geo.f90"), "--fixed", "--free"}, 2, "exclude each other"},
        {{"bracket", path("geo.f90"), "1", "1", "--select", "2"}, 2, "--select belongs to scope"},
        {{}, 2, "usage"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const ProgramResult r = run(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}

} // namespace
