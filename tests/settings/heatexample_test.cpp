// The bundled example builds with gfortran, agrees with its analytic solution, and reports bad
// input with a message and a failing status.
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "support/testutil.h"

using namespace corvane;

namespace
{

const QString kExample = QStringLiteral(CORVANE_SOURCE_DIR "/examples/heat/");

class HeatExample : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString program;

    void SetUp() override
    {
        const QString gfortran = QStandardPaths::findExecutable("gfortran");
        if (gfortran.isEmpty())
            GTEST_SKIP() << "gfortran is not installed";
        // Modules in dependency order, as the generated Makefile would build them.
        QStringList objects;
        for (const char *unit : {"kinds", "grid", "solver", "output", "heat"}) {
            const QString source = kExample + unit + ".f90";
            const test::ProgramResult r = test::runProgram(
                gfortran, {"-std=f2008", "-Wall", "-Werror", "-fcheck=all", "-c", source}, {},
                dir.path());
            ASSERT_EQ(r.exitCode, 0) << unit << ":\n" << r.err.toStdString();
            objects << QString(unit) + ".o";
        }
        const test::ProgramResult link =
            test::runProgram(gfortran, QStringList{"-o", "heat"} + objects, {}, dir.path());
        ASSERT_EQ(link.exitCode, 0) << link.err.toStdString();
        program = dir.filePath("heat");
    }
};

TEST_F(HeatExample, AgreesWithTheAnalyticSolution)
{
    const struct {
        const char *name;
        QByteArray input;
    } cases[] = {
        {"bundled input file", test::readFile(kExample + "input.txt")},
        {"coarse grid, long rod", "8 0.5 2.0 0.3 0.5\n"},
        {"fine grid, one line", "200 2.0 1.0 0.01 1.0\n"},
        {"no time at all", "10 1.0 1.0 0.0 1.0\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const test::ProgramResult r = test::runProgram(program, {}, c.input);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_TRUE(r.out.contains("heat: agrees with the analytic solution"))
            << r.out.toStdString();
    }
}

TEST_F(HeatExample, BadInputIsReportedAndFails)
{
    const struct {
        const char *name;
        QByteArray input;
        const char *message;
    } cases[] = {
        {"not a number", "ten 1 1 1 1\n", "heat: cannot read"},
        {"too few values", "10 1.0\n", "heat: cannot read"},
        {"one interval", "1 1.0 1.0 0.1 0.5\n", "heat: need nx >= 2"},
        {"unstable step", "10 1.0 1.0 0.1 1.5\n", "heat: need nx >= 2"},
        {"negative diffusivity", "10 -1.0 1.0 0.1 0.5\n", "heat: need nx >= 2"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const test::ProgramResult r = test::runProgram(program, {}, c.input);
        EXPECT_NE(r.exitCode, 0);
        EXPECT_TRUE(r.out.contains(c.message)) << r.out.toStdString();
    }
}

} // namespace
