// Jump to definition and declaration information over a small project of several files: the
// logic (definition search over the project's files, lookup over its index) and the commands
// corvane definition and corvane info, case by case on the same annotated lines.
#include "build/projectfind.h"
#include "editor/definitionlookup.h"
#include "project/mydocument.h"
#include "project/projectindexer.h"
#include "project/prompts.h"
#include "settings/intrinsicpages.h"
#include "settings/vocabulary.h"
#include "support/annotations.h"
#include "support/testutil.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace
{

// physics.f90: a module with types, a generic defined only by an interface block and module
// procedures whose headers use two blanks and a tab.
const char kPhysics[] = "module physics\n"                     // 1
                        "  implicit none\n"                    // 2
                        "  type :: vec\n"                      // 3
                        "    real :: x, y\n"                   // 4
                        "  end type\n"                         // 5
                        "  type :: body\n"                     // 6
                        "    type(vec) :: pos\n"               // 7
                        "  end type\n"                         // 8
                        "  interface norm\n"                   // 9
                        "    module procedure norm_vec\n"      // 10
                        "  end interface\n"                    // 11
                        "contains\n"                           // 12
                        "  subroutine  solve(b)\n"             // 13
                        "    type(body) :: b\n"                // 14
                        "  end subroutine\n"                   // 15
                        "  function\tnorm_vec(v) result(r)\n"  // 16
                        "    type(vec) :: v\n"                 // 17
                        "    real :: r\n"                      // 18
                        "    r = 0\n"                          // 19
                        "  end function\n"                     // 20
                        "end module\n";
const char kTools[] = "subroutine report(n)\n" // 1
                      "  integer :: n\n"       // 2
                      "end subroutine\n";
// main.f90: the case's line goes in as line 5.
QString mainSource(const QString &line)
{
    return "program main\n  use physics\n  type(body) :: b\n  real :: y\n" + line +
           "\nend program\n";
}

struct Case {
    const char *name;
    const char *line; // "^" the caret or «…» the selection
    const char *definition; // "file:line", "" for the beep, "!" for the alert
    const char *info;       // the start of the info text, "" for the beep
    const char *infoEnd = "";
};

const Case kCases[] = {
    {"call of a module procedure (two blanks in its header)", "  call sol^ve(b)",
     "physics.f90:13", " Procedure Name:\tsolve \n", "\tFile:      physics.f90"},
    // The tokenizer keeps a tab inside a token ("call\tsolve"), so the information finds no
    // declaration there, while the definition search takes the tab as a blank.
    {"a tab after call", "  call\tso^lve(b)", "physics.f90:13", ""},
    {"a selected name", "  call «solve»(b)", "physics.f90:13", " Procedure Name:\tsolve \n"},
    {"a used module", "  use phys^ics", "physics.f90:1", " Module Name:\tphysics\n",
     "\n Declared in:\n\tFile:      physics.f90"},
    {"a generic known only by its interface", "  y=no^rm(b%pos)", "physics.f90:9", ""},
    {"the caret right after the name", "  y = norm^(b%pos)", "physics.f90:9", ""},
    // The parser reads no function from a header with a tab after "function"; the definition
    // search still finds the header.
    {"a function header written with a tab", "  y = norm_v^ec(b%pos)", "physics.f90:16", ""},
    {"an external subroutine in another file", "  CALL rep^ort(1)", "tools.f90:1",
     " Procedure Name:\treport \n", "\tFile:      tools.f90"},
    {"a component chain a%b%c", "  y = b%pos%^x", "!", " Variable Name: \tx\n",
     "\tType:      vec\n\tModule:    physics\n\tFile:      physics.f90"},
    {"a local variable", "  y = ^b%pos%x", "!", " Variable Name: \tb\n",
     "\tProcedure: main\n\tFile:      main.f90"},
    {"an intrinsic in upper case", "  y = SQ^RT(2.0)", "!", "intrinsic: sqrt\n"},
    {"a name no search finds", "  y = are^a(1.0)", "!", ""},
    {"a name first on its line", "  sol^ve", "", " Procedure Name:\tsolve \n"},
    {"no word at the caret", "  y = 1 +^ 2", "", ""},
};

class DefinitionProject : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString project;
    std::unique_ptr<MyDocument> document;

    void SetUp() override
    {
        writeFile(dir.filePath("physics.f90"), kPhysics);
        writeFile(dir.filePath("tools.f90"), kTools);
        writeFile(dir.filePath("main.f90"), mainSource("").toUtf8());
        document = std::make_unique<MyDocument>();
        document->addFileNames(
            {dir.filePath("physics.f90"), dir.filePath("tools.f90"), dir.filePath("main.f90")},
            false);
        project = dir.filePath("demo.corvane");
        ASSERT_TRUE(document->write(project).ok());
    }

    // The line and column of a place in main.f90 (line 5), as the commands take them.
    static QStringList position(const Annotations &a)
    {
        const qsizetype at = a.points().isEmpty() ? qsizetype(a.range().location) : a.point();
        const qsizetype lineStart = mainSource("").size() - QString("\nend program\n").size();
        QStringList args{"5", QString::number(at - lineStart + 1)};
        if (a.points().isEmpty())
            args << "--select" << QString::number(a.range().length);
        return args;
    }
};

QString located(const DefinitionJump &jump)
{
    switch (jump.kind) {
    case DefinitionJump::Found:
        return QFileInfo(jump.location.filePath).fileName() + ":" +
               QString::number(jump.location.lineNumber);
    case DefinitionJump::NotFound:
        return "!";
    default:
        return "";
    }
}

} // namespace

TEST_F(DefinitionProject, LogicAndCommands)
{
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.name);
        const Annotations a(mainSource(c.line));
        writeFile(dir.filePath("main.f90"), a.code().toUtf8());
        const TextRange selection =
            a.points().isEmpty() ? a.range() : TextRange{quint64(a.point()), 0};

        // The logic.
        const QList<FindSource> sources = findSources(*document);
        const DefinitionJump jump = jumpToDefinition(a.code(), selection, [&](const QString &t) {
            return findLocationInProjectOfString(sources, t);
        });
        EXPECT_EQ(located(jump), QString(c.definition));

        RecordingPrompts prompts;
        ProjectIndexer indexer(*document, prompts);
        indexer.indexNow();
        const auto index = document->projectIndex();
        ASSERT_TRUE(index);
        QString info = "";
        if (const auto range = lookupRange(a.code(), selection)) {
            const QString path = dir.filePath("main.f90");
            const auto r = lookupDeclarationInfo(
                *index, index->declarationsForFile(path).get(), path,
                lookupScopeFor(scopeForRange(a.code(), *range, false)),
                Vocabulary::instance().fortranIntrinsics());
            if (r.kind == LookupResult::Info)
                info = r.text;
            else if (r.kind == LookupResult::Intrinsic)
                info = "intrinsic: " + r.text + "\n";
        }
        EXPECT_TRUE(info.startsWith(c.info)) << qPrintable(info);
        EXPECT_TRUE(info.endsWith(c.infoEnd)) << qPrintable(info);
        if (!*c.info) {
            EXPECT_EQ(info, "");
        }

        // The commands on the same place.
        const QStringList where = position(a);
        const auto def = runProgram(corvaneExecutable(),
                                    QStringList{"definition", project, "main.f90"} + where);
        if (QByteArray(c.definition).contains(':')) {
            const QStringList fileLine = QString(c.definition).split(':');
            EXPECT_EQ(def.exitCode, 0) << def.err.toStdString();
            EXPECT_EQ(QString::fromUtf8(def.out),
                      QString("{\"file\": \"%1\", \"line\": %2}\n")
                          .arg(QFileInfo(dir.filePath(fileLine[0])).absoluteFilePath(),
                               fileLine[1]));
        } else {
            EXPECT_EQ(def.exitCode, 1);
            EXPECT_EQ(def.out, "null\n");
            const QByteArray alert = "A program unit for " + jump.word.toUtf8() +
                                     " could not be found\nSee the find panel for all "
                                     "instances of the string\n";
            EXPECT_EQ(def.err, *c.definition == '!' ? alert : QByteArray());
        }
        const auto shown =
            runProgram(corvaneExecutable(), QStringList{"info", project, "main.f90"} + where);
        if (*c.info) {
            EXPECT_EQ(shown.exitCode, 0) << shown.err.toStdString();
            const QString text = QString::fromUtf8(shown.out);
            EXPECT_TRUE(text.startsWith(c.info)) << qPrintable(text);
            EXPECT_TRUE(text.endsWith(QString(c.infoEnd) + "\n")) << qPrintable(text);
        } else {
            EXPECT_EQ(shown.exitCode, 1);
            EXPECT_EQ(shown.out, "");
        }
    }
}

TEST_F(DefinitionProject, IntrinsicPageOnTheCommandLine)
{
    writeFile(dir.filePath("main.f90"), mainSource("  y = SQRT(2.0)").toUtf8());
    const auto r =
        runProgram(corvaneExecutable(), {"info", project, "main.f90", "5", "7", "--select", "4"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const IntrinsicPage *page = IntrinsicPages::instance().page("sqrt");
    ASSERT_TRUE(page);
    EXPECT_EQ(QString::fromUtf8(r.out), "intrinsic: sqrt\n" + page->plainText());
}

TEST_F(DefinitionProject, BadRequests)
{
    const struct {
        const char *name;
        QStringList args;
        int exitCode;
        QByteArray err;
    } cases[] = {
        {"no place", {project, "main.f90"}, 2, "usage: corvane %1 PROJECT FILE LINE COL"},
        {"column zero", {project, "main.f90", "1", "0"}, 2, "is no line or column"},
        {"a negative selection", {project, "main.f90", "1", "1", "--select", "-2"}, 2,
         "--select needs a length"},
        {"a selection without its length", {project, "main.f90", "1", "1", "--select"}, 2,
         "--select needs a length"},
        {"line past the end", {project, "main.f90", "40", "1"}, 1, "has no line 40 column 1"},
        {"not in the project", {project, "other.f90", "1", "1"}, 1,
         "other.f90 is not a file of the project"},
    };
    for (const char *command : {"definition", "info"}) {
        for (const auto &c : cases) {
            SCOPED_TRACE(std::string(command) + ": " + c.name);
            const auto r = runProgram(corvaneExecutable(), QStringList{command} + c.args, {},
                                      dir.path());
            EXPECT_EQ(r.exitCode, c.exitCode);
            EXPECT_TRUE(r.err.contains(QString(c.err).replace("%1", command).toUtf8()))
                << r.err.toStdString();
            EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
        }
    }
}
