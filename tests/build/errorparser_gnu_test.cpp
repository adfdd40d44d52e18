// Tables of real gfortran 12 and flang 16 output (captured from the broken sources under
// data/diagnostics/sources, both quote styles of gfortran), the same sources compiled live when
// the compiler is installed, and written-to-format tables for older gfortran, g95 and LFortran.
#include "diagnosticstest.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace corvane;
using corvane::test::Row;
using corvane::test::runTable;
using corvane::test::TextCase;

namespace
{

struct SourceCase {
    const char *source; // file under data/diagnostics/sources
    std::vector<Row> want;
};

// gfortran 12.2 -Wall -Wextra -Wconversion -Iinc -c, in a UTF-8 locale (typographic quotes).
const SourceCase kGFortranSources[] = {
    {"syntax",
     {{"syntax.f90", 5, 7, "Error: Symbol ‘total’ at col. 7 has no IMPLICIT type", 2},
      {"syntax.f90", 6, 14, "Error: Syntax error in expression at col. 14", 2}}},
    {"mismatch",
     {{"mismatch.f90", 9, 8, "Warning: Equality comparison for REAL(4) at col. 8 [-Wcompare-reals]",
       1},
      {"mismatch.f90", 14, 11,
       "Error: Type mismatch in argument ‘a’ at col. 11; passed INTEGER(4) to REAL(4)", 2},
      {"mismatch.f90", 15, 18,
       "Error: More actual than formal arguments in procedure call at col. 18", 2}}},
    {"warnings",
     {{"warnings.f90", 4, 19,
       "Warning: Unused variable ‘unused’ declared at col. 19 [-Wunused-variable]", 1},
      {"warnings.f90", 7, 6, "Warning: Equality comparison for REAL(4) at col. 6 [-Wcompare-reals]",
       1}}},
    // Two locations: second source and marker lines after "......", one message.
    {"generic",
     {{"generic.f90", 7, 15,
       "Error: Ambiguous interfaces in generic interface 'gen' for ‘a1’ at col. 15 and ‘a2’ at (2)",
       2}}},
    {"nomodule",
     {{"nomodule.f90", 2, 7,
       "Fatal Error: Cannot open module file ‘nosuch.mod’ for reading at col. 7: No such file or "
       "directory",
       2}}},
    // One-line messages ("file:line:col: Warning: ...") between the full ones; all on line 6.
    {"realindex",
     {{"realindex.f90", 6, 17, "Warning: Legacy Extension: REAL array index at col. 17", 1},
      {"realindex.f90", 6, 17,
       "Warning: Change of value in conversion from ‘REAL(4)’ to ‘INTEGER(8)’ at col. 17 "
       "[-Wconversion]",
       1},
      {"realindex.f90", 6, 8, "Warning: Legacy Extension: REAL array index at col. 8", 1},
      {"realindex.f90", 6, 8,
       "Warning: Change of value in conversion from ‘REAL(4)’ to ‘INTEGER(8)’ at col. 8 "
       "[-Wconversion]",
       1}}},
    // An include file from another folder: gfortran prints no source or marker line.
    {"include", {{"defs.inc", 2, 10, "Error: Invalid character in name at col. 10", 2}}},
    {"legacy",
     {{"legacy.f90", 7, 12,
       "Warning: Fortran 2018 deleted feature: DO termination statement which is not END DO or "
       "CONTINUE with label 10 at col. 12",
       1},
      {"legacy.f90", 9, 7, "Warning: Deleted feature: PAUSE statement at col. 7", 1}}},
};

// flang-new 16 -fsyntax-only -pedantic -Iinc: "in the context:" lines and attached notes are passed
// over.
const SourceCase kFlangSources[] = {
    {"syntax", {{"./syntax.f90", 6, 14, "error: expected end of statement", 2}}},
    {"mismatch",
     {{"./mismatch.f90", 14, 10,
       "error: Actual argument type 'INTEGER(4)' is not compatible with dummy argument type "
       "'REAL(4)'",
       2},
      {"./mismatch.f90", 15, 3,
       "error: Too many actual arguments (2) passed to procedure that expects only 1", 2}}},
    {"warnings", {}},
    {"generic",
     {{"./generic.f90", 3, 13,
       "error: Generic 'gen' may not have specific procedures 'a1' and 'a2' as their interfaces "
       "are "
       "not distinguishable",
       2}}},
    {"nomodule",
     {{"./nomodule.f90", 2, 7,
       "error: Cannot read module file for module 'nosuch': Source file 'nosuch.mod' was not found",
       2}}},
    {"realindex",
     {{"./realindex.f90", 6, 9, "error: Must have INTEGER type, but is REAL(4)", 2},
      {"./realindex.f90", 6, 18, "error: Must have INTEGER type, but is REAL(4)", 2}}},
    {"include",
     {{"inc/defs.inc", 2, 9, "error: expected '('", 2},
      {"./include.f90", 3, 1, "error: included here", 2}}},
    {"legacy",
     {{"./legacy.f90", 3, 7, "portability: nonstandard usage: TYPE*KIND syntax", 1},
      {"./legacy.f90", 6, 3, "portability: A DO loop should terminate with an END DO or CONTINUE",
       1},
      {"./legacy.f90", 9, 3, "portability: deprecated usage", 1}}},
};

// The rows as gfortran writes them under LC_ALL=C: ASCII quotes.
std::vector<Row> asciiQuoted(const std::vector<Row> &rows, std::vector<std::string> &storage)
{
    storage.clear();
    storage.reserve(rows.size());
    std::vector<Row> out = rows;
    for (Row &r : out) {
        QString t = QString::fromUtf8(r.text);
        t.replace(QChar(0x2018), QLatin1Char('\'')).replace(QChar(0x2019), QLatin1Char('\''));
        storage.push_back(t.toStdString());
        r.text = storage.back().c_str();
    }
    return out;
}

void checkParse(const QString &output, const char *compiler, const std::vector<Row> &want)
{
    ErrorParser parser;
    const auto result = parser.parseErrorString(output, QString::fromLatin1(compiler));
    test::expectRows(result, want);
    EXPECT_EQ(parser.maxErrorLevel(), test::levelOf(want));
}

// Compiles one broken source in a fresh copy of the sources folder and returns the error stream
// with the blank the build driver puts in front.
QString compileLive(const QString &compiler, const QStringList &flags, const char *source,
                    const QString &locale)
{
    QTemporaryDir dir;
    const QDir sources(test::diagnosticsData(QStringLiteral("sources")));
    for (const QString &rel :
         {QStringLiteral("%1.f90").arg(QLatin1String(source)), QStringLiteral("inc/defs.inc")}) {
        QDir(dir.path()).mkpath(QFileInfo(dir.filePath(rel)).path());
        QFile::copy(sources.filePath(rel), dir.filePath(rel));
    }
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), locale);
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(dir.path());
    p.start(compiler, flags + QStringList{QStringLiteral("%1.f90").arg(QLatin1String(source))});
    EXPECT_TRUE(p.waitForFinished(120000));
    return QLatin1Char(' ') + QString::fromUtf8(p.readAllStandardError());
}

TEST(GFortranReader, CapturedOutputBothQuoteStyles)
{
    std::vector<std::string> storage;
    for (const SourceCase &c : kGFortranSources) {
        SCOPED_TRACE(c.source);
        checkParse(test::capturedOutput(
                       QStringLiteral("gfortran12/%1.utf8.txt").arg(QLatin1String(c.source))),
                   "/usr/bin/gfortran\n", c.want);
        checkParse(test::capturedOutput(
                       QStringLiteral("gfortran12/%1.c.txt").arg(QLatin1String(c.source))),
                   "/usr/bin/gfortran\n", asciiQuoted(c.want, storage));
    }
}

TEST(GFortranReader, LiveCompiler)
{
    const QString gfortran = QStandardPaths::findExecutable(QStringLiteral("gfortran"));
    if (gfortran.isEmpty())
        GTEST_SKIP() << "gfortran is not installed";
    const QStringList flags = {QStringLiteral("-Wall"),        QStringLiteral("-Wextra"),
                               QStringLiteral("-Wconversion"), QStringLiteral("-Iinc"),
                               QStringLiteral("-c"),           QStringLiteral("-o"),
                               // never /dev/null: as root the assembler can replace it
                               QStringLiteral("out.o")};
    std::vector<std::string> storage;
    for (const SourceCase &c : kGFortranSources) {
        SCOPED_TRACE(c.source);
        checkParse(compileLive(gfortran, flags, c.source, QStringLiteral("C.UTF-8")),
                   qPrintable(gfortran), c.want);
        checkParse(compileLive(gfortran, flags, c.source, QStringLiteral("C")),
                   qPrintable(gfortran), asciiQuoted(c.want, storage));
    }
}

TEST(FlangReader, CapturedOutput)
{
    for (const SourceCase &c : kFlangSources) {
        SCOPED_TRACE(c.source);
        const QString path = QStringLiteral("flang16/%1.txt").arg(QLatin1String(c.source));
        const QString output = QFile::exists(test::diagnosticsData(path))
                                   ? test::capturedOutput(path)
                                   : QStringLiteral(" ");
        checkParse(output, "/usr/bin/flang-new-16", c.want);
    }
}

TEST(FlangReader, LiveCompiler)
{
    QString flang;
    for (const char *name : {"flang-new", "flang-new-16", "flang-new-17", "flang-new-18", "flang"})
        if (flang.isEmpty())
            flang = QStandardPaths::findExecutable(QString::fromLatin1(name));
    if (flang.isEmpty())
        GTEST_SKIP() << "flang is not installed";
    const QStringList flags = {QStringLiteral("-fsyntax-only"), QStringLiteral("-pedantic"),
                               QStringLiteral("-Iinc")};
    for (const SourceCase &c : kFlangSources) {
        SCOPED_TRACE(c.source);
        checkParse(compileLive(flang, flags, c.source, QStringLiteral("C.UTF-8")),
                   qPrintable(flang), c.want);
    }
}

TEST(GFortranReader, LayoutsAndEdgeCases)
{
    runTable(
        "/usr/local/bin/gfortran",
        {
            {"older layout (gfortran 4.x): line.column",
             " a.f90:12.7:\n\n  x = y +\n       1\nError: Syntax error in expression at (1)\n",
             {{"a.f90", 12, 7, "Error: Syntax error in expression at col. 7", 2}},
             2},
            {"older layout kept for a later line:col:",
             " a.f90:12.7:\n\n  x = y +\n       1\nWarning: Line truncated at (1)\na.f90:20:\n\n  "
             "y = 2\n  1\nError: Unclassifiable statement at (1)\n",
             {{"a.f90", 12, 7, "Warning: Line truncated at col. 7", 1},
              {"a.f90", 20, 7, "Error: Unclassifiable statement at col. 1", 2}},
             2},
            {"older layout, two locations: text cut at the comma",
             " a.f90:7.15:\n\n  subroutine a1(x)\n               1\na.f90:10.15:\n\n  subroutine "
             "a2(y)\n               2\nError: Ambiguous interfaces 'a1' and 'a2' at (1), see (2)\n",
             {{"a.f90", 7, 15, "Error: Ambiguous interfaces 'a1' and 'a2' at col. 15", 2}},
             2},
            {"older layout, text on the location line",
             " a.f90:3.5:\n\n x\n 1\nError: E at "
             "(1)\nb.f90:4:2:Unused:\nsrc\nmarker\nb.f90:5:1:\nsrc\nmarker\n",
             {{"a.f90", 3, 5, "Error: E at col. 5", 2},
              {"b.f90", 4, 2, "Unused", 1},
              {"b.f90", 5, 1, "", 1}},
             2},
            {"a warning only leaves the level at 1",
             " w.f90:4:19:\n\n    4 |   integer :: unused\n      |                   1\nWarning: "
             "Unused variable 'unused' declared at (1) [-Wunused-variable]\n",
             {{"w.f90", 4, 19,
               "Warning: Unused variable 'unused' declared at col. 19 [-Wunused-variable]", 1}},
             1},
            {"notes are warnings",
             " n.f90:3:10:\n\n    3 |   call s(x)\n      |          1\nnote: Previous declaration "
             "at (1)\n",
             {{"n.f90", 3, 10, "note: Previous declaration at col. 10", 1}},
             1},
            {"severity comes from the severity word, not a quoted name (we had this bug)",
             " e.f90:5:7:\n\n    5 |   warning_count = 1\n      |       1\nError: Symbol "
             "‘warning_count’ at (1) has no IMPLICIT type\n",
             {{"e.f90", 5, 7, "Error: Symbol ‘warning_count’ at col. 7 has no IMPLICIT type", 2}},
             2},
            {"a location line of make ends the reading",
             " a.f90:2:3:\n\n    2 | x\n      |   1\nError: A at (1)\nmake:\nb.f90:3:3:\n\n    3 | "
             "y\n      |   1\nError: B at (1)\n",
             {{"a.f90", 2, 3, "Error: A at col. 3", 2}},
             2},
            {"a Fatal Error location line ends the reading",
             " a.f90:2:3:\n\n    2 | x\n      |   1\nWarning: A at (1)\nFatal Error: Error count "
             "reached limit:\nb.f90:3:3:\n\n    3 | y\n      |   1\nError: B at (1)\n",
             {{"a.f90", 2, 3, "Warning: A at col. 3", 1}},
             1},
            {"a diagnostic cut off at the end is dropped (we had this bug)",
             " a.f90:2:3:\n\n    2 | x\n      |   1\nError: A at (1)\nb.f90:9:4:\n\n    9 | y\n    "
             "  |    1\n",
             {{"a.f90", 2, 3, "Error: A at col. 3", 2}},
             2},
            {"only a cut-off location line", " a.f90:2:3:\n", {}, 0},
            {"a location line without a line number raises the level to 1",
             " In file included from somewhere:\n",
             {},
             1},
            {"interleaved files are merged, sorted by line (we had this bug)",
             " a.f90:6:3:\n\n    6 | x\n      |   1\nError: A6 at (1)\nb.f90:1:1:\n\n    1 | y\n   "
             "   | 1\nError: B1 at (1)\na.f90:2:3:\n\n    2 | z\n      |   1\nError: A2 at (1)\n",
             {{"a.f90", 2, 3, "Error: A2 at col. 3", 2},
              {"a.f90", 6, 3, "Error: A6 at col. 3", 2},
              {"b.f90", 1, 1, "Error: B1 at col. 1", 2}},
             2},
            {"carriage returns of a copied log",
             " a.f90:2:3:\r\n\r\n    2 | x\r\n      |   1\r\nError: A at (1)\r\n",
             {{"a.f90", 2, 3, "Error: A at col. 3", 2}},
             2},
            {"driver messages without a location pass through",
             " f951: Warning: Nonexistent include directory ‘foo’ "
             "[-Wmissing-include-dirs]\ngfortran: fatal error: no input files\ncompilation "
             "terminated.\n",
             {},
             0},
            {"empty output", " ", {}, 0},
            {"a C file's function line does not choose the older layout",
             " a.c: In function ‘main’:\na.c:3:5: warning: unused variable ‘x’ "
             "[-Wunused-variable]\n    3 |  int "
             "x;\n      |      ^\nb.f90:2:3:\n\n    2 | x\n      |   1\nError: A at (1)\n",
             {{"a.c", 3, 5, "warning: unused variable ‘x’ [-Wunused-variable]", 1},
              {"b.f90", 2, 3, "Error: A at col. 3", 2}},
             2},
            {"gfortran 12 -fdiagnostics-plain-output: one line each",
             " bad1.f90:6:14: Error: Syntax error in expression at (1)\nbad1.f90:5:7: Error: "
             "Symbol ‘total’ at (1) "
             "has no IMPLICIT type\n",
             {{"bad1.f90", 5, 7, "Error: Symbol ‘total’ at col. 7 has no IMPLICIT type", 2},
              {"bad1.f90", 6, 14, "Error: Syntax error in expression at col. 14", 2}},
             2},
        });
}

TEST(G95Reader, DocumentedLayouts)
{
    runTable("/usr/local/bin/g95",
             {
                 {"error with marker column",
                  " In file /home/u/demo.f90:5\n\n  total = n +\n             1\nError: Syntax "
                  "error in expression at (1)\n",
                  {{"/home/u/demo.f90", 5, 14, "Error: Syntax error in expression at col. 14", 2}},
                  2},
                 {"warning with number",
                  " In file /home/u/demo.f90:3\n\n  integer :: i\n             1\nWarning (112): "
                  "Variable 'i' at (1) is set but never used\n",
                  {{"/home/u/demo.f90", 3, 14,
                    "Warning (112): Variable 'i' at col. 14 is set but never used", 1}},
                  1},
                 {"make: *** ends the text",
                  " In file /a/x.f90:2\n\n  y\n  1\nError: Bad at (1)\nmake: *** [x.o] Error 1\nIn "
                  "file /a/z.f90:2\n\n  y\n  1\nError: Gone at (1)\n",
                  {{"/a/x.f90", 2, 3, "Error: Bad at col. 3", 2}},
                  2},
                 {"cut off at the end: dropped", " In file /a/x.f90:2\n\n  y\n", {}, 0},
                 {"no path", " g95: no input files\n", {}, 0},
             });
}

TEST(LFortranReader, DocumentedLayouts)
{
    runTable("/usr/local/bin/lfortran",
             {
                 {"short form with ranges",
                  " a.f90:3-3:5-12: syntax error: Token '=' is unexpected here\n",
                  {{"a.f90", 3, 5, "syntax error: Token '=' is unexpected here", 2}},
                  2},
                 {"arrow form",
                  " semantic error: Variable 'y' is not declared\n --> a.f90:4:5\n  |\n4 |     y = "
                  "1\n  |     ^ 'y' is undeclared\n\n\nNote: Please report unclear or confusing "
                  "messages as bugs at\nhttps://github.com/lfortran/lfortran/issues.\n",
                  {{"a.f90", 4, 5, "semantic error: Variable 'y' is not declared", 2}},
                  2},
                 {"warning with a span",
                  " warning: Assignment to loop variable `i`\n --> b.f90:6:9 - 6:13\n  |\n6 |      "
                  "   i = 2\n  |         ^^^^^ \n",
                  {{"b.f90", 6, 9, "warning: Assignment to loop variable `i`", 1}},
                  1},
                 {"style suggestion and colours",
                  " \x1b[1;34mstyle suggestion\x1b[0m: Use '**' instead\n --> c.f90:2:7\n",
                  {{"c.f90", 2, 7, "style suggestion: Use '**' instead", 1}},
                  1},
                 {"an arrow without a message line is passed over", " --> a.f90:1:1\n", {}, 0},
             });
}

TEST(FlangReader, DocumentedLayouts)
{
    runTable("/usr/lib/llvm-17/bin/flang-new",
             {
                 {"warning",
                  " ./w.f90:4:5: warning: Label '10' is not in scope\n    goto 10\n    ^\n",
                  {{"./w.f90", 4, 5, "warning: Label '10' is not in scope", 1}},
                  1},
                 {"attached notes are passed over",
                  " ./t.f90:6:3: portability: A DO loop should terminate with an END DO or "
                  "CONTINUE\n    do 10 i = 1, 2\n    ^^\n./t.f90:7:1: DO loop currently ends at "
                  "statement:\n  10 x = x + 1\n  ^\n",
                  {{"./t.f90", 6, 3,
                    "portability: A DO loop should terminate with an END DO or CONTINUE", 1}},
                  1},
                 {"driver errors have no location",
                  " flang-new: error: no such file or directory: 'x.f90'\nflang-new: error: no "
                  "input files\n",
                  {},
                  0},
                 {"colours",
                  " \x1b[1m./c.f90:2:3: \x1b[31merror: \x1b[0mbad\n",
                  {{"./c.f90", 2, 3, "error: bad", 2}},
                  2},
             });
}

} // namespace
