// Dispatch, the loader rule, grouping, the wrapper and version lookups (against small fake
// compilers written as scripts), the stored compiler path, and the diagnostics command.
#include "build/programprobe.h"
#include "diagnosticstest.h"
#include "faketool.h"
#include "support/testutil.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace corvane;
using Reader = ErrorParser::Reader;

namespace
{

TEST(ErrorParserDispatch, ReaderForName)
{
    const struct {
        const char *path;
        Reader want;
    } kCases[] = {
        {"/usr/bin/gfortran\n", Reader::GFortran},
        {"/usr/bin/x86_64-linux-gnu-gfortran-12", Reader::GFortran},
        {"/opt/pgi/bin/pgfortran", Reader::PGI}, // contains "gfortran" too: PGI first
        {"/usr/local/bin/g95", Reader::G95},
        {"/opt/intel/bin/ifort", Reader::Intel},
        {"/applications/absoft11.5/bin/f90", Reader::AbsoftNew},
        {"/applications/absoft11.1/bin/f90", Reader::AbsoftNew},
        {"/applications/absoft10.2/bin/f90", Reader::Absoft},
        {"/applications/absoft/bin/f90", Reader::Absoft},
        {"/usr/local/bin/nagfor", Reader::NAG},
        {"/opt/nvidia/hpc_sdk/bin/nvfortran", Reader::PGI},
        {"/opt/intel/oneapi/compiler/latest/bin/ifx", Reader::Intel},
        {"/usr/bin/flang-new-16", Reader::Flang},
        {"/usr/lib/llvm-17/bin/flang", Reader::Flang},
        {"/usr/local/bin/lfortran", Reader::LFortran},
        {"/usr/bin/f95", Reader::None},
        {"/usr/bin/caf", Reader::None},
        {"/home/flang-user/bin/f77", Reader::None}, // additions look at the file name only
    };
    for (const auto &c : kCases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(ErrorParser::readerForName(QString::fromLatin1(c.path)), c.want);
    }
}

TEST(ErrorParserDispatch, ReaderForVersionText)
{
    const struct {
        const char *text;
        Reader want;
    } kCases[] = {
        {"GNU Fortran (Debian 12.2.0-14+deb12u1) 12.2.0\nCopyright (C) 2022", Reader::GFortran},
        {"ifx (IFX) 2024.0.0 20231017\n", Reader::Intel},
        {"ifort (IFORT) 2021.10.0 20230609\n", Reader::Intel},
        {"flang-new version 16.0.6 (Debian)\nTarget: x86_64-pc-linux-gnu\n", Reader::Flang},
        {"LFortran version: 0.30.0\n", Reader::LFortran},
        {"\nOpenCoarrays Coarray Fortran Compiler Wrapper (caf version 2.9.2)\n", Reader::None},
        {"", Reader::None},
    };
    for (const auto &c : kCases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ErrorParser::readerForVersionText(QString::fromLatin1(c.text)), c.want);
    }
}

TEST(ErrorParserDispatch, LoaderOutputGivesNone)
{
    const struct {
        const char *text;
        bool loader;
    } kCases[] = {
        {" ld: library not found for -lfoo", true},
        {"ld: x", true},
        {" Undefined symbols for architecture x86_64:", true},
        {" /usr/bin/ld: a.o: in function `MAIN__':", true},
        {"  /usr/bin/x86_64-linux-gnu-ld: cannot find -lfoo", true},
        {" /usr/bin/ld.gold: error: cannot find -lfoo", true},
        {" collect2: error: ld returned 1 exit status", true},
        {" \nld: preceded by an empty line", false},
        {" a.f90:3:5:", false},
        {" field: x", false},
        {" make: *** [Makefile:3: all] Error 1", false},
        {"", false},
    };
    for (const auto &c : kCases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ErrorParser::isLoaderOutput(QString::fromLatin1(c.text)), c.loader);
    }
    // Through the parser: none and level 0, even with a compiler message after the loader's.
    const QString diagnostic =
        QStringLiteral("a.f90:2:3:\n\n    2 | x\n      |   1\nError: A at (1)\n");
    ErrorParser parser;
    EXPECT_FALSE(parser.parseErrorString(QStringLiteral(" ld: warning\n") + diagnostic,
                                         "/usr/bin/gfortran"));
    EXPECT_EQ(parser.maxErrorLevel(), 0u);
    const auto read = parser.parseErrorString(QStringLiteral(" \nld: warning\n") + diagnostic,
                                              "/usr/bin/gfortran");
    test::expectRows(read, {{"a.f90", 2, 3, "Error: A at col. 3", 2}});
    EXPECT_EQ(parser.maxErrorLevel(), 2u);
}

TEST(ErrorParserDispatch, PgfortranIsNotReadAsGfortranAndLevelResets)
{
    const QString gfortranText = test::capturedOutput(QStringLiteral("gfortran12/syntax.utf8.txt"));
    ErrorParser parser;
    EXPECT_FALSE(parser.parseErrorString(gfortranText, "/opt/pgi/bin/pgfortran"));
    EXPECT_EQ(parser.maxErrorLevel(), 2u); // PGI: level 2 even without a message
    EXPECT_FALSE(parser.parseErrorString(QStringLiteral(" "), "/usr/bin/gfortran"));
    EXPECT_EQ(parser.maxErrorLevel(), 0u);
}

TEST(ErrorParserGrouping, ErrorsByFile)
{
    const auto row = [](const char *file, quint64 line, const char *text) {
        return FindResult(QString::fromLatin1(file), QString::fromLatin1(text), line, 0);
    };
    EXPECT_FALSE(ErrorParser::errorsByFileFromArrayOfErrors({}));
    const auto grouped = ErrorParser::errorsByFileFromArrayOfErrors(
        {row("a.f90", 30, "a30"), row("a.f90", 5, "a5"), row("b.f90", 2, "b2"),
         row("a.f90", 5, "a5-second"), row("c.f90", 1, "c1"), row("b.f90", 1, "b1")});
    ASSERT_TRUE(grouped);
    EXPECT_EQ(grouped->keys(), (QStringList{"a.f90", "b.f90", "c.f90"}));
    const auto texts = [&](const char *file) {
        QStringList t;
        for (const FindResult &r : grouped->value(QString::fromLatin1(file)))
            t << r.lineText;
        return t;
    };
    EXPECT_EQ(texts("a.f90"), (QStringList{"a5", "a5-second", "a30"}));
    EXPECT_EQ(texts("b.f90"), (QStringList{"b1", "b2"}));
    EXPECT_EQ(texts("c.f90"), (QStringList{"c1"}));
}

// Fake compilers: shell scripts in a temporary folder that log each call to calls.log.
class FakeCompilers : public ::testing::Test
{
protected:
    void SetUp() override { ProgramProbe::forgetAnswers(); }
    QString script(const QString &name, const QByteArray &body)
    {
        const QString path = m_dir.filePath(name);
        test::writeFile(path, "#!/bin/sh\necho \"$0 $*\" >> '" +
                                  m_dir.filePath("calls.log").toUtf8() + "'\n" + body);
        QFile::setPermissions(path, QFileInfo(path).permissions() | QFileDevice::ExeOwner);
        return path;
    }
    int calls(const QString &name)
    {
        QFile log(m_dir.filePath("calls.log"));
        if (!log.open(QIODevice::ReadOnly))
            return 0;
        return QString::fromUtf8(log.readAll()).count(m_dir.filePath(name) + QLatin1Char(' '));
    }
    QTemporaryDir m_dir;
};

const QString kNagText = QStringLiteral(" Error: /u/a.f90, line 5: Implicit type for TOTAL\n");
const QString kGFortranText =
    QStringLiteral(" a.f90:2:3:\n\n    2 | x\n      |   1\nError: A at (1)\n");

TEST_F(FakeCompilers, MpiWrapperAnswersShow)
{
    const QString real = script("nagfor-real", "exit 0\n");
    const QString wrapper = script("mpif90", "[ \"$1\" = -show ] && echo '" + real.toUtf8() +
                                                 " -I/opt/mpi/include -lmpi'\n");
    ErrorParser parser;
    EXPECT_EQ(parser.findMpiCompilerTrueNameForCompiler(wrapper + "\n"),
              real + "\n"); // as `which` says it
    const auto rows = parser.parseErrorString(kNagText, wrapper + "\n");
    test::expectRows(rows, {{"/u/a.f90", 5, 0, "Implicit type for TOTAL", 2}});
    EXPECT_EQ(parser.mpiCompilerTrueName(), real + "\n");
    (void)parser.parseErrorString(kNagText, wrapper + "\n");
    ErrorParser another;
    (void)another.parseErrorString(kNagText, wrapper + "\n");
    EXPECT_EQ(calls("mpif90"), 1); // the answer is remembered for every parser
}

TEST_F(FakeCompilers, OpenMpiWrapperAnswersShowme)
{
    const QString real = script("nagfor-real", "exit 0\n");
    const QString wrapper =
        script("mpifort", "if [ \"$1\" = --showme ]; then echo '" + real.toUtf8() +
                              " -lmpi'; else echo 'unknown option' >&2; exit 1; fi\n");
    ErrorParser parser;
    EXPECT_EQ(parser.findMpiCompilerTrueNameForCompiler(wrapper), real + "\n");
}

TEST_F(FakeCompilers, SilentWrapperFallsBackToVersionText)
{
    const QString wrapper =
        script("mpif90", "[ \"$1\" = --version ] && echo 'GNU Fortran (Fake) 12.2.0'\nexit 0\n");
    ErrorParser parser;
    EXPECT_FALSE(parser.findMpiCompilerTrueNameForCompiler(wrapper));
    test::expectRows(parser.parseErrorString(kGFortranText, wrapper),
                     {{"a.f90", 2, 3, "Error: A at col. 3", 2}});
    EXPECT_FALSE(parser.mpiCompilerTrueName());
    // Asked -show and --showme directly, and --version in the parse; each answer is remembered.
    EXPECT_EQ(calls("mpif90"), 3);
}

TEST_F(FakeCompilers, UnknownNameAsksVersionOncePerParser)
{
    const struct {
        const char *name;
        const char *version;
        const char *text;
        bool rows;
    } kCases[] = {
        {"f95", "GNU Fortran (Fake) 12.2.0",
         " a.f90:2:3:\n\n    2 | x\n      |   1\nError: A at (1)\n", true},
        {"site-fc", "ifx (IFX) 2024.0.0 20231017", " a.f90(2): error #6404: x\n", true},
        {"fc", "flang-new version 16.0.6", " ./a.f90:2:3: error: x\n", true},
        {"f77", "Some Other Fortran 1.0", " a.f90:2:3: error: x\n", false},
    };
    for (const auto &c : kCases) {
        SCOPED_TRACE(c.name);
        const QString fc = script(c.name, QByteArray("[ \"$1\" = --version ] && echo '") +
                                              c.version + "'\nexit 0\n");
        ErrorParser parser;
        EXPECT_EQ(parser.parseErrorString(QString::fromLatin1(c.text), fc).has_value(), c.rows);
        (void)parser.parseErrorString(QString::fromLatin1(c.text), fc);
        // --version once per parser; a program it does not name is also asked -show and --showme.
        EXPECT_EQ(calls(c.name), c.rows ? 1 : 3);
    }
}

// (we had this bug) A program that does not answer was asked --version, -show and --showme for
// 10 s each, and the children it started kept running.
TEST_F(FakeCompilers, AProgramThatHangsIsEndedWithItsChildrenAndAskedOnce)
{
    const QString pidFile = m_dir.filePath("child.pid");
    const QString fc = script("site-fc", "sleep 120 &\necho $! > '" + pidFile.toUtf8() +
                                             "'\nsleep 120\n");
    ErrorParser parser;
    EXPECT_FALSE(parser.parseErrorString(kGFortranText, fc));
    ErrorParser another;
    EXPECT_FALSE(another.parseErrorString(kGFortranText, fc));
    EXPECT_EQ(calls("site-fc"), 1);
    const qint64 child = test::readFile(pidFile).trimmed().toLongLong();
    ASSERT_GT(child, 0);
    EXPECT_TRUE(test::waitFor([&] { return test::processEnded(child); }, 5000));
}

TEST_F(FakeCompilers, CoarrayWrapperFollowsItsWrappedCompiler)
{
    const QString mpi = script(
        "mpif90.openmpi", "[ \"$1\" = --version ] && echo 'GNU Fortran (Fake) 12.2.0'\nexit 0\n");
    const QString caf = script(
        "caf", "case \"$1\" in --version) echo 'OpenCoarrays Coarray Fortran Compiler Wrapper';;\n"
               "-show) echo '" +
                   mpi.toUtf8() + " -fcoarray=lib';; esac\nexit 0\n");
    ErrorParser parser;
    test::expectRows(parser.parseErrorString(kGFortranText, caf + "\n"),
                     {{"a.f90", 2, 3, "Error: A at col. 3", 2}});
}

TEST_F(FakeCompilers, MissingCompilerGivesNone)
{
    ErrorParser parser;
    EXPECT_FALSE(parser.parseErrorString(kGFortranText, m_dir.filePath("no-such-fc")));
    EXPECT_FALSE(parser.findMpiCompilerTrueNameForCompiler(m_dir.filePath("mpif90-gone")));
    EXPECT_EQ(parser.maxErrorLevel(), 0u);
}

TEST(DiagnosticsCommand, PrintsJson)
{
    const QString corvane = test::corvaneExecutable();
    if (!QFileInfo::exists(corvane))
        GTEST_SKIP() << "the corvane executable is not built";
    QTemporaryDir dir;
    const QString log = dir.filePath("build.log");
    test::writeFile(log, "b.f90:2:3:\n\n    2 | x\n      |   1\nError: \"A\" at (1)\n"
                         "a.f90:4:1:\n\n    4 | y\n      | 1\nWarning: B\\ at (1)\n");
    const auto fromFile =
        test::runProgram(corvane, {"diagnostics", "--compiler", "/usr/bin/gfortran\n", log});
    EXPECT_EQ(fromFile.exitCode, 0) << fromFile.err.toStdString();
    EXPECT_EQ(
        fromFile.out.toStdString(),
        "{\"maxErrorLevel\": 2, \"files\": {\"b.f90\": [{\"lineNumber\": 2, \"columnNumber\": 3, "
        "\"lineText\": \"Error: \\\"A\\\" at col. 3\", \"errorType\": 2}], \"a.f90\": "
        "[{\"lineNumber\": 4, "
        "\"columnNumber\": 1, \"lineText\": \"Warning: B\\\\ at col. 1\", \"errorType\": 1}]}}\n");
    const auto fromStdin = test::runProgram(corvane, {"diagnostics", "--compiler", "gfortran"},
                                            "ld: cannot find -lx\n");
    EXPECT_EQ(fromStdin.exitCode, 0);
    EXPECT_EQ(fromStdin.out.toStdString(), "{\"maxErrorLevel\": 0, \"files\": null}\n");
    EXPECT_NE(test::runProgram(corvane, {"diagnostics", log}).exitCode, 0);
    const auto missing = test::runProgram(
        corvane, {"diagnostics", "--compiler", "gfortran", dir.filePath("gone.log")});
    EXPECT_NE(missing.exitCode, 0);
    EXPECT_TRUE(missing.err.contains("gone.log")) << missing.err.toStdString();
}

} // namespace

namespace
{

// Every reader on hostile text: it ends, and what it returns is consistent (rows filed under
// their own path, types 1 or 2, the level at least the worst row's type and at most 2).
TEST(ErrorParserRobustness, ReadersPassOverGarbage)
{
    QStringList inputs = {"",
                          " ",
                          ":",
                          " :::::",
                          "((((",
                          "))))",
                          " (1):",
                          " a(1):",
                          " File = ",
                          " File = a, Line = ",
                          "/",
                          " /:",
                          " PGF(",
                          " PGF((",
                          " NVFORTRAN",
                          " [NAG",
                          " -->",
                          " --> :",
                          " a:1:2:",
                          " a:1:2: ",
                          " a:1:2: Error:",
                          "\n\n\n",
                          " Error: , line :",
                          " a.f90:1:1:\n\nError\n",
                          QString(20000, QLatin1Char(':')),
                          QStringLiteral(" x:1:\n").repeated(5000)};
    const QString alphabet = QStringLiteral(":()/\n ,.=0123456789aEFLPGWrnoi-|^");
    QRandomGenerator random(20261208);
    for (int sample = 0; sample < 40; ++sample) {
        QString text;
        for (int i = 0; i < 3000; ++i)
            text += alphabet[random.bounded(alphabet.size())];
        inputs << text;
    }
    using Read = std::optional<ErrorsDictionary> (ErrorParser::*)(const QString &);
    const Read readers[] = {
        &ErrorParser::parseGFortranErrorString,  &ErrorParser::parseG95ErrorString,
        &ErrorParser::parsePGFortranErrorString, &ErrorParser::parseIFortErrorString,
        &ErrorParser::parseAbsoftErrorString,    &ErrorParser::parseAbsoftNewErrorString,
        &ErrorParser::parseNAGErrorString,       &ErrorParser::parseFlangErrorString,
        &ErrorParser::parseLFortranErrorString,
    };
    for (qsizetype n = 0; n < inputs.size(); ++n) {
        for (size_t r = 0; r < std::size(readers); ++r) {
            SCOPED_TRACE(testing::Message() << "input " << n << ", reader " << r);
            ErrorParser parser;
            const auto result = (parser.*readers[r])(inputs[n]);
            EXPECT_LE(parser.maxErrorLevel(), 2u);
            if (!result)
                continue;
            EXPECT_FALSE(result->isEmpty());
            for (const auto &[path, rows] : *result) {
                EXPECT_FALSE(rows.isEmpty());
                for (const FindResult &row : rows) {
                    EXPECT_EQ(row.filePath, path);
                    EXPECT_EQ(row.resultType, 1);
                    EXPECT_TRUE(row.errorType == 1 || row.errorType == 2) << row.errorType;
                    EXPECT_GE(parser.maxErrorLevel(), quint64(row.errorType));
                }
            }
        }
    }
}

} // namespace

namespace
{

// The wrappers installed here: OpenMPI's mpif90/mpifort and OpenCoarrays' caf over gfortran.
TEST(ErrorParserWrappers, InstalledWrappersReachGfortran)
{
    const QString log = test::capturedOutput(QStringLiteral("gfortran12/syntax.c.txt"));
    int tried = 0;
    for (const char *name : {"mpif90", "mpifort", "caf"}) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (path.isEmpty())
            continue;
        ++tried;
        SCOPED_TRACE(name);
        ErrorParser parser;
        test::expectRows(
            parser.parseErrorString(log, path + "\n"),
            {{"syntax.f90", 5, 7, "Error: Symbol 'total' at col. 7 has no IMPLICIT type", 2},
             {"syntax.f90", 6, 14, "Error: Syntax error in expression at col. 14", 2}});
        if (QString::fromLatin1(name).startsWith(QLatin1String("mpi"))) {
            const auto real = parser.mpiCompilerTrueName();
            ASSERT_TRUE(real);
            EXPECT_TRUE(real->contains(QLatin1String("gfortran"))) << real->toStdString();
        }
    }
    if (tried == 0)
        GTEST_SKIP() << "no MPI or coarray wrapper installed";
}

// (we had this bug) "%1" in a message was filled in by a later arg() and the JSON broke
// ("errorType": %5).
TEST(DiagnosticsCommand, PercentSignsInMessagesStayText)
{
    const QString corvane = test::corvaneExecutable();
    if (!QFileInfo::exists(corvane))
        GTEST_SKIP() << "the corvane executable is not built";
    const struct {
        const char *name;
        QByteArray log;
        QString lineText;
    } cases[] = {
        {"message", "a.f90:2:3:\n\n    2 | x\n      |   1\nError: bad %1 %2 %L1 %% thing\n",
         "Error: bad %1 %2 %L1 %% thing"},
        {"include file (gfortran 12)",
         "a.f90:3:10:\n\n    3 | include 'miss%1ing%2.inc'\n      |          1\n"
         "Fatal Error: Cannot open included file 'miss%1ing%2.inc'\n",
         "Fatal Error: Cannot open included file 'miss%1ing%2.inc'"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto r = test::runProgram(corvane, {"diagnostics", "--compiler", "gfortran"}, c.log);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        QJsonParseError error;
        const QJsonDocument json = QJsonDocument::fromJson(r.out, &error);
        ASSERT_EQ(error.error, QJsonParseError::NoError) << r.out.toStdString();
        const QJsonObject row = json.object()["files"].toObject()["a.f90"].toArray()[0].toObject();
        EXPECT_EQ(row["lineText"].toString(), c.lineText);
        EXPECT_EQ(row["errorType"].toInt(), 2);
    }
}

} // namespace
