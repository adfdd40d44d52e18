// Fortran INCLUDE lines spliced for the index: which lines are INCLUDE lines, where the files are
// looked for, cycles and missing files, the line map through the preprocessor's, and the units
// of the spliced text naming the file and line they stand in.
#include "analysis/fincludesplicer.h"
#include "parsertesthelper.h"

#include <QHash>

using namespace corvane;
using namespace corvane::test;

namespace
{

FIncludeSplicer::Options optionsOver(const QHash<QString, QString> &files,
                                     const QStringList &folders = {})
{
    FIncludeSplicer::Options options;
    options.includeFolders = folders;
    options.readFile = [files](const QString &path) -> std::optional<QString> {
        if (!files.contains(path))
            return std::nullopt;
        return files.value(path);
    };
    return options;
}

// "file:line" of every output line.
QStringList mapOf(const FPreprocessor::Result &r)
{
    QStringList out;
    for (const FPreprocessor::SourceLine &l : r.lineMap)
        out << QStringLiteral("%1:%2").arg(r.files.value(l.file)).arg(l.line);
    return out;
}

} // namespace

TEST(FIncludeSplicer, IncludeLines)
{
    const struct {
        const char *line;
        const char *name; // nullptr: no INCLUDE line
    } cases[] = {
        {"include 'a.inc'", "a.inc"},
        {"   INCLUDE \"b.h\"", "b.h"},
        {"\tInClUdE 'c d.inc'   ! the common blocks", "c d.inc"},
        {"      include'fixed.inc'", "fixed.inc"},
        {"include 'a.inc' // x", nullptr},
        {"include ''", nullptr},
        {"include a.inc", nullptr},
        {"! include 'a.inc'", nullptr},
        {"includes = 'x'", nullptr},
        {"call include('a')", nullptr},
        {"#include \"a.inc\"", nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line);
        const QString name = FIncludeSplicer::includedName(QString::fromUtf8(c.line));
        if (c.name)
            EXPECT_EQ(name.toStdString(), c.name);
        else
            EXPECT_TRUE(name.isNull()) << name.toStdString();
    }
}

TEST(FIncludeSplicer, CheapTestLooksAtFirstWordsOnly)
{
    EXPECT_TRUE(FIncludeSplicer::mayHaveIncludeLines(u"x = 1\n  \tINCLUDE 'a.inc'\n"));
    EXPECT_TRUE(FIncludeSplicer::mayHaveIncludeLines(u"include 'a.inc'"));
    EXPECT_FALSE(FIncludeSplicer::mayHaveIncludeLines(u"! include 'a.inc'\ncall include_all()\n"));
    EXPECT_FALSE(FIncludeSplicer::mayHaveIncludeLines(u"module m\nend module\n  inclu"));
    EXPECT_FALSE(FIncludeSplicer::mayHaveIncludeLines(u""));
}

TEST(FIncludeSplicer, SplicesFoundFilesAndMapsEveryLine)
{
    const QHash<QString, QString> files{
        {"/p/src/decl.inc", "integer :: a\ninclude '../src/deep.inc'\n"},
        {"/p/src/deep.inc", "real :: b\r\n"},
        {"/p/inc/shared.inc", "logical :: c"},
        {"/p/src/self.inc", "integer :: d\ninclude 'self.inc'\n"},
    };
    const FIncludeSplicer::Result r = FIncludeSplicer::splice(
        "module m\ninclude 'decl.inc'\n  INCLUDE \"shared.inc\"\ninclude 'gone.inc'\n"
        "include 'self.inc'\nend module\n",
        "/p/src/m.f90", optionsOver(files, {"/p/inc"}));
    EXPECT_EQ(r.text.toStdString(), "module m\ninteger :: a\nreal :: b\nlogical :: c\n"
                                    "integer :: d\nend module\n");
    EXPECT_EQ(mapOf(r), QStringList({"/p/src/m.f90:1", "/p/src/decl.inc:1", "/p/src/deep.inc:1",
                                     "/p/inc/shared.inc:1", "/p/src/self.inc:1",
                                     "/p/src/m.f90:6"}));
    EXPECT_EQ(r.includedFiles, QStringList({"/p/src/decl.inc", "/p/src/deep.inc",
                                            "/p/inc/shared.inc", "/p/src/self.inc"}));
    EXPECT_EQ(r.messages,
              QStringList({"/p/src/m.f90:4: the INCLUDE file 'gone.inc' was not found",
                           "/p/src/self.inc:2: the INCLUDE file 'self.inc' includes itself; it "
                           "is read only once"}));
}

TEST(FIncludeSplicer, WithoutReaderNothingIsFoundAndNothingIsLost)
{
    const FIncludeSplicer::Result r =
        FIncludeSplicer::splice("include 'a.inc'\nx = 1", "/p/a.f90", {});
    EXPECT_EQ(r.text.toStdString(), "x = 1\n");
    EXPECT_EQ(r.messages.size(), 1);
}

TEST(FIncludeSplicer, ContinuesThePreprocessorsLineMap)
{
    // The INCLUDE line stands in a #include'd file: it is looked for beside that file.
    const QHash<QString, QString> files{
        {"/p/macros/defs.h", "#define KIND 8\ninclude 'inner.inc'\n"},
        {"/p/macros/inner.inc", "real(KIND) :: x\n"},
    };
    FPreprocessor::Options pre;
    pre.readFile = optionsOver(files).readFile;
    pre.includeFolders = {"/p/macros"};
    const QString source = "module m\n#include \"defs.h\"\nend module\n";
    const FPreprocessor::Result pp = FPreprocessor::preprocess(source, "/p/src/m.F90", pre);
    const FIncludeSplicer::Result r =
        FIncludeSplicer::splice(pp.text, "/p/src/m.F90", optionsOver(files), &pp);
    EXPECT_TRUE(r.messages.isEmpty()) << r.messages.join("\n").toStdString();
    // The INCLUDE file is not preprocessed, as the compiler reads it.
    EXPECT_TRUE(r.text.contains("real(KIND) :: x")) << r.text.toStdString();
    EXPECT_TRUE(mapOf(r).contains("/p/macros/inner.inc:1"));
    EXPECT_EQ(mapOf(r).last(), "/p/src/m.F90:3");
}

TEST(FIncludeSplicer, UnitsNameTheFileAndLineTheyStandIn)
{
    const QHash<QString, QString> files{
        {"/p/procs.inc", "\n  subroutine helper(a)\n    integer :: a\n  end subroutine\n"},
    };
    const QString source = "module m\n  integer :: x\ncontains\n  include 'procs.inc'\n"
                           "  subroutine after()\n  end subroutine\nend module\n";
    const FIncludeSplicer::Result r =
        FIncludeSplicer::splice(source, "/p/m.f90", optionsOver(files));
    FFileParser parser;
    const auto decl = parser.declarationsInFortranFile("/p/m.f90", r.text, 1, &r);
    const auto m = decl->moduleNamed("m");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->line, 1);
    EXPECT_EQ(m->defInfo->fileSource.toStdString(), "/p/m.f90");
    const auto helper = lookupDeclaration(m->procedures, "helper");
    ASSERT_TRUE(helper);
    EXPECT_EQ(helper->defInfo->fileSource.toStdString(), "/p/procs.inc");
    EXPECT_EQ(helper->line, 2);
    ASSERT_TRUE(helper->arguments);
    EXPECT_EQ(helper->arguments->at(0)->typeName.toStdString(), "integer");
    const auto after = lookupDeclaration(m->procedures, "after");
    ASSERT_TRUE(after);
    EXPECT_EQ(after->defInfo->fileSource.toStdString(), "/p/m.f90");
    EXPECT_EQ(after->line, 5);
}

TEST(FFileParserLines, HeadersKeepTheirLinesWithoutAMap)
{
    checkParseCases({
        {"lines of units, contained procedures and interface bodies",
         "! comment\n\nmodule m\n interface\n  subroutine ext(x)\n  end subroutine\n"
         " end interface\ncontains\n\n  pure function f(x) &\n   result(r)\n  end function\n"
         "end module\nprogram p\nend program\n",
         {{"modules/m/line", "3"},
          {"modules/m/procedures/ext/line", "5"},
          {"modules/m/procedures/f/line", "10"},
          {"nonModuleProcedures/p/line", "14"}}},
        {"fixed form",
         "C a comment\n      SUBROUTINE S(A)\n      END\n      FUNCTION F()\n      END\n",
         {{"nonModuleProcedures/s/line", "2"}, {"nonModuleProcedures/f/line", "4"}},
         false},
    });
}
