// Find in project below the window: the outline rows of the text search over files on disk and in
// memory, the definition search and the file-name matching.
#include "build/projectfind.h"
#include "support/testutil.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <optional>
#include <vector>

using namespace corvane;

namespace
{

// A file of an inline project: its bytes on disk, or (memory set) a text edited in memory whose
// disk version says "stale". A file named "missing" is not written; one named "folder/" is a
// directory, so both cannot be read.
struct InlineFile {
    const char *name;
    QByteArray bytes;
    std::optional<QString> memory = std::nullopt;
};

QList<FindSource> makeProject(const QTemporaryDir &dir, const std::vector<InlineFile> &files)
{
    QList<FindSource> sources;
    for (const InlineFile &f : files) {
        QString path = dir.path() + "/" + QString::fromUtf8(f.name);
        if (path.endsWith('/')) {
            path.chop(1);
            EXPECT_TRUE(QDir().mkpath(path));
        } else if (QString::fromUtf8(f.name) != "missing") {
            test::writeFile(path, f.memory ? QByteArray("stale text\n") : f.bytes);
        }
        sources << FindSource{path, f.memory.value_or(QString()), f.memory.has_value()};
    }
    return sources;
}

// The outline as text: "name" per node ("name: error" when unreadable), "  line:col: text" per match.
QStringList outline(const ProjectFindResults &results)
{
    QStringList rows;
    for (const FoundFile &file : results.files) {
        EXPECT_EQ(file.header.resultType, 0);
        rows << file.header.lineText + (file.error.isEmpty() ? QString() : ": " + file.error);
        for (const FindResult &m : file.matches) {
            EXPECT_EQ(m.resultType, 1);
            EXPECT_EQ(m.filePath, file.header.filePath);
            rows << QString("  %1:%2: %3").arg(m.lineNumber).arg(m.columnNumber).arg(m.lineText);
        }
    }
    return rows;
}

struct FindCase {
    const char *name;
    std::vector<InlineFile> files;
    QString text;
    FindOptions options;
    QStringList want;
};

TEST(ProjectFind, OutlineRows)
{
    const FindOptions plain;
    const FindOptions caseOn{true, false, false};
    const FindOptions word{false, true, false};
    const FindOptions regex{false, false, true};
    const FindCase cases[] = {
        {"found in the second and fourth file only",
         {{"a.f90", "program a\nend\n"},
          {"b.f90", "call solve(x)\n"},
          {"c.f90", "x = 1\n"},
          {"d.f90", "\n\n  ! solve later\n"}},
         "solve",
         plain,
         {"b.f90", "  1:5: call solve(x)", "d.f90", "  3:4: ! solve later"}},
        {"capitals match lower case without the case switch",
         {{"a.f90", "call solve(x)\nCALL SOLVE(Y)\n"}},
         "SOLVE",
         plain,
         {"a.f90", "  1:5: call solve(x)", "  2:5: CALL SOLVE(Y)"}},
        {"the case switch makes case significant",
         {{"a.f90", "call solve(x)\nCALL SOLVE(Y)\n"}},
         "SOLVE",
         caseOn,
         {"a.f90", "  2:5: CALL SOLVE(Y)"}},
        {"the column is the offset before trimming",
         {{"a.f90", "    x = 1\t \n"}},
         "x",
         plain,
         {"a.f90", "  1:4: x = 1"}},
        {"only the first match of a line counts",
         {{"a.f90", "x = x + x\n"}},
         "x",
         plain,
         {"a.f90", "  1:0: x = x + x"}},
        {"a text across a line end gives a node without rows",
         {{"a.f90", "end\nprogram\n"}},
         "end\nprogram",
         plain,
         {"a.f90"}},
        // The walk used to stop one character early and lose such a line.
        {"a last line of one character without a line feed",
         {{"a.f90", "a = 1\nx"}},
         "x",
         plain,
         {"a.f90", "  2:0: x"}},
        {"CRLF and lone CR end lines on disk",
         {{"dos.f90", "a = 1\r\n\r\nb = 2\r\n"}, {"mac.f", "a = 1\r\rb = 2\r"}},
         "b",
         plain,
         {"dos.f90", "  3:0: b = 2", "mac.f", "  3:0: b = 2"}},
        {"columns count UTF-16 units, not bytes",
         {{"u.f90", QString("print *, 'é😀', total\n").toUtf8()}},
         "total",
         plain,
         {"u.f90", QString("  1:16: print *, 'é😀', total").toUtf8()}},
        {"non-ASCII letters match in any case",
         {{"u.f90", QString("! Größe ÄNDERN\n").toUtf8()}},
         QString("ändern"),
         plain,
         {"u.f90", QString("  1:8: ! Größe ÄNDERN")}},
        {"a file that is not UTF-8 reads as Latin-1",
         {{"l.f", QByteArray("C  caf\xe9 x\n")}},
         "x",
         plain,
         {"l.f", QString("  1:8: C  caf\u00e9 x")}},
        {"an edited file is searched in memory, not on disk",
         {{"m.f90", "", QString("real :: fresh\n")}, {"n.f90", "stale text\n"}},
         "fresh",
         plain,
         {"m.f90", "  1:8: real :: fresh"}},
        {"unreadable files are reported once and the search goes on",
         {{"missing", ""}, {"folder/", ""}, {"z.f90", "x = 1\n"}},
         "x",
         plain,
         {"missing: The file \"missing\" couldn't be opened: No such file or directory",
          "folder: The file \"folder\" couldn't be opened: Is a directory", "z.f90",
          "  1:0: x = 1"}},
        {"whole words skip a match inside a name",
         {{"a.f90", "xx = x_1 + x\nx2 = 0\n"}},
         "x",
         word,
         {"a.f90", "  1:11: xx = x_1 + x"}},
        {"whole words without any: no node",
         {{"a.f90", "xx = 1\n"}},
         "x",
         word,
         {}},
        {"a regular expression, anchored at each line's start",
         {{"a.f90", "  call a\ncall b\n\r\ncall c\r\n"}},
         "^call [bc]$",
         regex,
         {"a.f90", "  2:0: call b", "  4:0: call c"}},
        {"empty regular-expression matches do not count",
         {{"a.f90", "abc\n\nzz\n"}},
         "z*",
         regex,
         {"a.f90", "  3:0: zz"}},
        {"a lookbehind that only holds at a line's start",
         {{"a.f90", "a\nx\n"}},
         "(?<!\\n)x",
         regex,
         {"a.f90", "  2:0: x"}},
        {"a pattern matching only across a line end gives no node",
         {{"a.f90", "a\nb\n"}},
         "a\\sb",
         regex,
         {}},
        {"an empty text finds nothing", {{"a.f90", "x\n"}}, "", plain, {}},
    };
    for (const FindCase &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const ProjectFindResults results =
            findStringInProject(makeProject(dir, c.files), c.text, c.options);
        EXPECT_EQ(outline(results), c.want);
        EXPECT_TRUE(results.patternError.isEmpty());
    }
}

TEST(ProjectFind, DictionaryHoldsOnlyFilesWithMatches)
{
    QTemporaryDir dir;
    const auto sources = makeProject(dir, {{"a.f90", "x\n"},
                                           {"b.f90", "y = 1\nz = y\n"},
                                           {"c.f90", "end\ny\n"},
                                           {"d.f90", "o\ny\n"}});
    const ProjectFindResults results = findStringInProject(sources, "y");
    const ErrorsDictionary found = results.findDictionary();
    EXPECT_EQ(found.keys(), (QStringList{sources[1].path, sources[2].path, sources[3].path}));
    EXPECT_EQ(results.matchCount(), 4);
    ASSERT_EQ(found.value(sources[1].path).size(), 2);
    EXPECT_EQ(found.value(sources[1].path)[1], FindResult(sources[1].path, "z = y", 2, 4));

    // Across a line end: a node, but no dictionary entry and no match.
    const ProjectFindResults across = findStringInProject(sources, "end\ny");
    EXPECT_EQ(across.files.size(), 1);
    EXPECT_EQ(across.matchCount(), 0);
    EXPECT_TRUE(across.findDictionary().isEmpty());
}

TEST(ProjectFind, InvalidRegularExpressionSearchesNothing)
{
    QTemporaryDir dir;
    const ProjectFindResults results = findStringInProject(
        makeProject(dir, {{"a.f90", "(x\n"}}), "(x", FindOptions{false, false, true});
    EXPECT_TRUE(results.files.isEmpty());
    EXPECT_TRUE(results.patternError.contains("\"(x\" is not valid")) << results.patternError.toStdString();
}

// (we had this bug) "%1" in the pattern was filled in with the error offset.
TEST(ProjectFind, PercentSignsInAnInvalidPatternStayText)
{
    QTemporaryDir dir;
    const ProjectFindResults results = findStringInProject(
        makeProject(dir, {{"a.f90", "x\n"}}), "(%1 %2 %L1 %%", FindOptions{false, false, true});
    EXPECT_TRUE(results.patternError.startsWith(
        "The regular expression \"(%1 %2 %L1 %%\" is not valid: "))
        << results.patternError.toStdString();
}

TEST(ProjectFind, LinesOfEveryEnding)
{
    const struct {
        QString text;
        QStringList lines;
    } cases[] = {
        {"", {}},
        {"x", {"1 x"}},
        {"a\nx", {"1 a", "2 x"}},
        {"a\n", {"1 a"}},
        {"a\r\n\r\nb", {"1 a", "2 ", "3 b"}},
        {"a\r\rb\r", {"1 a", "2 ", "3 b"}},
        {"\n\nz", {"1 ", "2 ", "3 z"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        QStringList lines;
        forEachLine(c.text, [&](QStringView line, quint64 n) {
            lines << QString::number(n) + " " + line.toString();
            return true;
        });
        EXPECT_EQ(lines, c.lines);
    }
}

struct DefinitionCase {
    const char *name;
    std::vector<InlineFile> files;
    QString text;
    QString want; // "file:line:col: text", empty for none
};

TEST(ProjectFind, DefinitionSearch)
{
    const DefinitionCase cases[] = {
        {"skips a mention after ! and an unindented call",
         {{"a.f90", "! see solve\nx = 1 ! solve\ncall solve(x)\nsubroutine solve(a)\n"}},
         "solve",
         "a.f90:4:11: subroutine solve(a)"},
        {"letter case never matters and the name may end the line",
         {{"a.f90", "  MODULE Geometry\n"}},
         "geometry",
         "a.f90:1:9: MODULE Geometry"},
        {"the first occurrence must be followed by a blank or (",
         {{"a.f90", "  solver = 1\n  subroutine solve (a)\n"}},
         "solve",
         "a.f90:2:13: subroutine solve (a)"},
        {"fixed-form comment lines are passed over",
         {{"a.f", "C     solve it\n      SUBROUTINE SOLVE\n"}},
         "solve",
         "a.f:2:17: SUBROUTINE SOLVE"},
        {"the first file in project order wins; unreadable files are passed over",
         {{"missing", ""}, {"b.f90", "x\n"}, {"c.f90", "  function solve(x)\n"},
          {"d.f90", "  subroutine solve\n"}},
         "solve",
         "c.f90:1:11: function solve(x)"},
        {"the last one-character line is searched",
         {{"a.f90", "a\nb"}},
         "b",
         "a.f90:2:0: b"},
        {"an edited file in memory",
         {{"a.f90", "", QString("  subroutine fresh()\r\n")}},
         "fresh",
         "a.f90:1:13: subroutine fresh()"},
        // The blank of a search text matches any run of blanks and tabs (we had "subroutine
        // solve" miss a header written with two blanks or a tab).
        {"one blank of the text matches a run of blanks",
         {{"a.f90", "  subroutine   solve(a)\n"}},
         "subroutine solve",
         "a.f90:1:2: subroutine   solve(a)"},
        {"one blank of the text matches a tab",
         {{"a.f90", "\tsubroutine\t solve\n"}},
         "SUBROUTINE solve",
         "a.f90:1:1: subroutine\t solve"},
        {"a tab after the occurrence counts as a blank",
         {{"a.f90", "  module physics\t! the model\n"}},
         "module physics",
         "a.f90:1:2: module physics\t! the model"},
        {"the words must still be separated",
         {{"a.f90", "  subroutinesolve(a)\n  subroutine solver\n"}},
         "subroutine solve",
         ""},
        {"a pattern character in the text is taken literally",
         {{"a.f90", "  function f.x(a)\n  function fxx(a)\n"}},
         "function f.x",
         "a.f90:1:2: function f.x(a)"},
        {"nothing qualifies", {{"a.f90", "call solve(x)\n  solve2 = 1\n"}}, "solve", ""},
    };
    for (const DefinitionCase &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        QStringList errors;
        const auto found =
            findLocationInProjectOfString(makeProject(dir, c.files), c.text, &errors);
        const QString got = found ? QString("%1:%2:%3: %4")
                                        .arg(found->filePath.section('/', -1))
                                        .arg(found->lineNumber)
                                        .arg(found->columnNumber)
                                        .arg(found->lineText)
                                  : QString();
        EXPECT_EQ(got, c.want);
        EXPECT_EQ(errors.size(), c.files.front().name == QByteArray("missing") ? 1 : 0);
    }
}

TEST(ProjectFind, FileNames)
{
    const QStringList paths{"/p/Main.f90", "/p/src/solver.f90", "/p/main/util.F", "/p/mains.inc"};
    EXPECT_EQ(filesWithNameContaining(paths, u"main", Qt::CaseSensitive),
              (QStringList{"/p/mains.inc"}));
    EXPECT_EQ(filesWithNameContaining(paths, u"main", Qt::CaseInsensitive),
              (QStringList{"/p/Main.f90", "/p/mains.inc"}));
    EXPECT_EQ(filesWithNameContaining(paths, u"", Qt::CaseSensitive), paths);

    const QStringList names{"Main.f90", "solver.f90", "util.F", "mains.inc"};
    const struct {
        const char *partial;
        QStringList want;
    } completions[] = {
        {"", {}},
        {"m", {}},
        {"ma", {"Main.f90", "mains.inc"}},
        {"MA", {"Main.f90", "mains.inc"}},
        {".f", {"Main.f90", "solver.f90", "util.F"}},
        {"xyz", {}},
    };
    for (const auto &c : completions) {
        SCOPED_TRACE(c.partial);
        EXPECT_EQ(fileNameCompletions(names, QString::fromUtf8(c.partial)), c.want);
    }
}

} // namespace
