// corvane index FILE... --dump / --json: the declaration records of source files from the
// command line, one file after another; unreadable files are named on stderr and skipped.
#include "support/testutil.h"

#include <QJsonDocument>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace corvane::test;

namespace
{

QJsonObject jsonLine(const QByteArray &line)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
    return doc.object();
}

} // namespace

TEST(IndexDeclarationsCommand, JsonAndDumpPerFile)
{
    QTemporaryDir dir;
    const QString free = dir.filePath("geo.f90");
    const QString fixed = dir.filePath("old.f");
    writeFile(free, "module geo\n  real :: r\ncontains\n  subroutine grow(f)\n  end subroutine\n"
                    "end module\n");
    writeFile(fixed, "      SUBROUTINE OLD(A,\n     &  B)\n      END\n");
    const QString missing = dir.filePath("missing.f90");

    const auto json = runProgram(corvaneExecutable(), {"index", free, missing, fixed, "--json"});
    EXPECT_EQ(json.exitCode, 1);
    EXPECT_TRUE(json.err.contains("missing.f90")) << json.err.toStdString();
    const QList<QByteArray> lines = json.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 2) << json.out.toStdString();
    const QJsonObject geo = jsonLine(lines[0]);
    EXPECT_EQ(geo["name"].toString(), free);
    const QJsonObject grow = geo["modules"]["geo"]["procedures"]["grow"].toObject();
    EXPECT_EQ(grow["argumentList"].toString(), "(f)");
    EXPECT_EQ(grow["definingProgramUnit"].toString(), "geo");
    // Fixed form follows the extension: the continuation line joins the argument list.
    const QJsonObject old = jsonLine(lines[1]);
    EXPECT_EQ(old["nonModuleProcedures"]["old"]["argumentList"].toString(), "(A,B)");
    // Dictionaries keep the source order in the text.
    EXPECT_LT(lines[0].indexOf("\"variables\""), lines[0].indexOf("\"procedures\""));

    const auto dump = runProgram(corvaneExecutable(), {"index", "--dump", free});
    EXPECT_EQ(dump.exitCode, 0) << dump.err.toStdString();
    EXPECT_TRUE(dump.out.startsWith("\n\nProcedures and variables in file: geo.f90\n"
                                    "\nModules: \n\tModule geo\n"))
        << dump.out.toStdString();
    EXPECT_TRUE(dump.out.contains("Subroutine grow\n")) << dump.out.toStdString();

    // Forcing the free form reads the fixed-form file differently: the "&" line is a statement
    // of its own, so the argument list stops at "A,".
    const auto forced = runProgram(corvaneExecutable(), {"index", "--json", "--free", fixed});
    EXPECT_EQ(forced.exitCode, 0);
    const QJsonObject forcedFile = jsonLine(forced.out.trimmed());
    EXPECT_NE(forcedFile["nonModuleProcedures"]["old"]["argumentList"].toString(), "(A,B)");
}

TEST(IndexDeclarationsCommand, DeeplyNestedTextPrintsWithoutOverflow)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("deep.f90");
    QByteArray text = "module deep\ncontains\n";
    for (int i = 0; i < 20000; ++i)
        text += "subroutine s" + QByteArray::number(i) + "\ncontains\n";
    writeFile(path, text);
    const struct {
        const char *mode;
        QByteArray innermost;
    } cases[] = {{"--json", "\"name\":\"s19999\""}, {"--dump", "Subroutine s19999\n"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.mode);
        const auto r = runProgram(corvaneExecutable(), {"index", c.mode, path});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(r.out.count(c.innermost), 1);
    }
}

// The files are read as the compiler reads them: directives preprocessed with gfortran's
// predefined macros and the -D/-U/-I given, INCLUDE files spliced into the including unit
// (named with their own file and line), a missing one named on stderr; --as-written reads the
// text as it stands.
TEST(IndexDeclarationsCommand, PreprocessedWithIncludeFiles)
{
    QTemporaryDir dir;
    const QString source = dir.filePath("src/shapes.F90");
    QDir().mkpath(dir.filePath("src"));
    QDir().mkpath(dir.filePath("inc"));
    writeFile(source, "module shapes\n#ifdef WITH_AREA\n  real :: area\n#endif\n"
                      "#ifdef __GFORTRAN__\n  integer :: compiled_by_gfortran\n#endif\n"
                      "contains\n  include 'grow.inc'\n  include 'gone.inc'\nend module\n");
    writeFile(dir.filePath("inc/grow.inc"), "\n  subroutine grow(r)\n    real :: r\n"
                                           "  end subroutine\n");

    const auto run = runProgram(corvaneExecutable(), {"index", source, "--json", "-DWITH_AREA",
                                                      "-I", dir.filePath("inc")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(
        (source + ":10: the INCLUDE file 'gone.inc' was not found").toUtf8()))
        << run.err.toStdString();
    const QJsonObject shapes = jsonLine(run.out.trimmed())["modules"].toObject()["shapes"].toObject();
    EXPECT_TRUE(shapes["variables"].toObject().contains("area"));
    EXPECT_TRUE(shapes["variables"].toObject().contains("compiled_by_gfortran"));
    const QJsonObject grow = shapes["procedures"]["grow"].toObject();
    EXPECT_EQ(grow["defInfo"]["fileSource"].toString(), dir.filePath("inc/grow.inc"));
    EXPECT_EQ(grow["line"].toInt(), 2);
    EXPECT_EQ(grow["arguments"][0]["typeName"].toString(), "real");

    const auto undefined = runProgram(corvaneExecutable(), {"index", source, "--json",
                                                            "-U__GFORTRAN__"});
    const QJsonObject without = jsonLine(undefined.out.trimmed())["modules"].toObject()["shapes"].toObject();
    EXPECT_FALSE(without["variables"].toObject().contains("area"));
    EXPECT_FALSE(without["variables"].toObject().contains("compiled_by_gfortran"));
    EXPECT_FALSE(without["procedures"].toObject().contains("grow"));

    const auto asWritten =
        runProgram(corvaneExecutable(), {"index", source, "--json", "--as-written"});
    EXPECT_TRUE(asWritten.err.isEmpty()) << asWritten.err.toStdString();
    const QJsonObject raw = jsonLine(asWritten.out.trimmed())["modules"].toObject()["shapes"].toObject();
    EXPECT_TRUE(raw["variables"].toObject().contains("area"));
    EXPECT_FALSE(raw["procedures"].toObject().contains("grow"));

    const auto noValue = runProgram(corvaneExecutable(), {"index", source, "--json", "-D"});
    EXPECT_EQ(noValue.exitCode, 2);
}
