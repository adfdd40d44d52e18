// The project document: derived names and paths, setter rules, adding files, and the project
// file written and read back with every key.
#include "project/mydocument.h"
#include "project/prompts.h"
#include "settings/defaults.h"
#include "support/testutil.h"

#include <QDir>
#include <QFile>
#include <QRectF>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextDocument>
#include <gtest/gtest.h>

using namespace corvane;

TEST(MyDocument, DerivedNamesAndPaths)
{
    MyDocument doc;
    doc.setFileName("/work/My Project.corvane");
    EXPECT_EQ(doc.docDirectoryPath(), "/work");
    EXPECT_EQ(doc.executableName(), "MyProjectRunning");
    EXPECT_EQ(doc.libraryName(), "libMyProjectRunning.a");
    EXPECT_EQ(doc.libraryDirectoryPath(), "/work/MyProjectRunningLib");
    EXPECT_EQ(doc.buildDirectoryPath(), "/work/Build_Running");
    doc.setIsDebugBuild(true);
    EXPECT_EQ(doc.executableName(), "MyProjectTesting");
    EXPECT_EQ(doc.buildDirectoryPath(), "/work/Build_Testing");
    doc.setFileName("/work/My Run.old.proj");
    EXPECT_EQ(doc.executableName(), "MyRun.oldTesting");
}

TEST(MyDocument, CompilerNumber)
{
    const struct {
        const char *path;
        const char *flags;
        qint64 number;
    } cases[] = {
        {"/usr/local/bin/mpif90", "-O2", 1},
        {"/usr/local/bin/mpif90", "-fopenmp", 1},
        {"caf", nullptr, 1},
        {"gfortran", "-O2 -fopenmp", 2},
        {"gfortran", "-O2", 0},
        {"gfortran", nullptr, 0},
        {"ifx", "-qopenmp", 2},
        // (we had this bug) "mpi" inside the folder name "compiler" made ifx an MPI compiler.
        {"/opt/intel/oneapi/compiler/latest/bin/ifx", "-O2", 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.path) + " " + (c.flags ? c.flags : "(none)"));
        MyDocument doc;
        doc.setReleaseCompilerFlags(c.flags ? QString(c.flags) : QString());
        doc.setProjectCompilerPath(c.path);
        EXPECT_EQ(doc.compilerNumber(), c.number);
        EXPECT_EQ(doc.compiler(), c.number);
        EXPECT_EQ(doc.shouldEnableParallel(), c.number != 0);
    }
}

TEST(MyDocument, SettersMarkChangesAndRecompile)
{
    MyDocument doc;
    doc.setProjectCompilerPath("gfortran");
    doc.setNeedsFullRecompile(false);
    doc.markUnchanged();

    doc.setLinkerFlags("-lm");
    EXPECT_EQ(doc.releaseLinkerFlags(), "-lm");
    EXPECT_FALSE(doc.needsFullRecompile());
    EXPECT_EQ(doc.changeCount(), 1);

    doc.setCompiler(doc.compiler());
    EXPECT_FALSE(doc.needsFullRecompile());
    doc.setCompiler(2);
    EXPECT_TRUE(doc.needsFullRecompile());

    doc.setNeedsFullRecompile(false);
    const int before = doc.changeCount();
    doc.setProjectCompilerPath("gfortran"); // the same path changes nothing
    EXPECT_EQ(doc.changeCount(), before);
    EXPECT_FALSE(doc.needsFullRecompile());

    doc.setCompilerFlags("-O3");
    EXPECT_TRUE(doc.needsFullRecompile());
    EXPECT_EQ(doc.releaseCompilerFlags(), "-O3");
    EXPECT_TRUE(doc.debugCompilerFlags().isNull());
    doc.setNeedsFullRecompile(false);
    doc.setCompilerFlags("-O3"); // equal: nothing happens
    EXPECT_FALSE(doc.needsFullRecompile());

    QSignalSpy spy(&doc, &MyDocument::settingChanged);
    doc.setInputOption(0);
    doc.setNotifyByDock(true);
    EXPECT_EQ(spy.count(), 2);
    EXPECT_EQ(spy.at(0).at(0).toString(), "inputOption");
    EXPECT_TRUE(doc.isDocumentEdited());
}

TEST(MyDocument, FreeFormFlagSwitchesColouringOfFixedFormFiles)
{
    MyDocument doc;
    QSignalSpy spy(&doc, &MyDocument::colouringModeChanged);
    FortranFile fixed("/p/old.f");
    FortranFile free("/p/new.f90");
    doc.setCurrentFile(&fixed);
    doc.setCompilerFlags("-ffree-form");
    EXPECT_TRUE(doc.colorAsF90());
    doc.setCompilerFlags("-ffree-form -O2"); // still free: no new switch
    doc.setCompilerFlags("-O2");
    EXPECT_FALSE(doc.colorAsF90());
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy.at(0).at(0).toBool(), true);
    EXPECT_EQ(spy.at(1).at(0).toBool(), false);

    doc.setCurrentFile(&free); // a free-form file in the editor: the switch is left alone
    doc.setCompilerFlags("-ffree-form");
    EXPECT_FALSE(doc.colorAsF90());
    doc.setCurrentFile(nullptr); // no file shown: switched
    doc.setCompilerFlags("-ffree-form -g");
    EXPECT_TRUE(doc.colorAsF90());
    EXPECT_EQ(spy.count(), 3);
}

TEST(MyDocument, AddingFilesSkipsKnownOnesAndExtendsIncludeFlags)
{
    MyDocument doc;
    doc.setIncludeFlags("/opt/include");
    doc.markUnchanged();
    QSignalSpy listSpy(&doc, &MyDocument::fileListDidChange);
    EXPECT_EQ(doc.addFileNames({"/a/b/x.inc", "/a/b/y.inc", "/s/beta.f90", "/s/Alpha.f90"}, false),
              4);
    EXPECT_EQ(doc.includeFlags(), "/opt/include \"/a/b\" ");
    EXPECT_EQ(doc.fileNames(),
              (QStringList{"/s/Alpha.f90", "/s/beta.f90", "/a/b/x.inc", "/a/b/y.inc"}));
    EXPECT_EQ(doc.addFileNames({"/s/beta.f90"}, true), 0);
    EXPECT_EQ(listSpy.count(), 1);
    EXPECT_EQ(doc.indexOfFileNamed("/s/beta.f90"), 1);
    RecordingPrompts prompts;
    EXPECT_EQ(doc.indexOfFileNamed("/nowhere.f90", &prompts), -1);
    EXPECT_EQ(prompts.beeps, 1);
    EXPECT_EQ(doc.fortranFileNamed("/a/b/y.inc")->filePath(), "/a/b/y.inc");
    doc.projectFiles()[0]->setFileState(FortranFile::Lost);
    EXPECT_TRUE(doc.selectedFilePathAtIndex(0).isNull());
    EXPECT_EQ(doc.selectedFilePathAtIndex(1), "/s/beta.f90");
    EXPECT_TRUE(doc.selectedFilePathAtIndex(9).isNull());
}

TEST(CorvaneNote, PrintableForm)
{
    CorvaneNote n{QDateTime(QDate(2026, 3, 4), QTime(9, 5)), "Run", "converged"};
    const QString text = n.noteForPrinting();
    EXPECT_TRUE(text.endsWith(": Run\nconverged\n\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("2026")) << text.toStdString();
    EXPECT_EQ(CorvaneNote().noteForPrinting(), ": \n\n\n");
}

TEST(MyDocument, FontSettingReachesLoadedTextAndInputFileIsRead)
{
    QTemporaryDir dir;
    test::writeFile(dir.filePath("a.f90"), "x = 1\n");
    test::writeFile(dir.filePath("in.txt"), "3 4\n");
    MyDocument doc;
    doc.addFileNames({dir.filePath("a.f90"), dir.filePath("b.f90")}, false);
    RecordingPrompts prompts;
    ASSERT_TRUE(doc.projectFiles()[0]->loadFile(prompts));
    Defaults::instance().setValue("FontSize", 17.0);
    EXPECT_EQ(doc.projectFiles()[0]->textStorage()->defaultFont().pointSizeF(), 17.0);
    EXPECT_EQ(doc.projectFiles()[1]->textStorage(), nullptr); // never loaded: left alone

    doc.setInputFileName(dir.filePath("in.txt"));
    EXPECT_EQ(doc.contentsOfInputFile(prompts), "3 4\n");
    EXPECT_TRUE(prompts.errors.isEmpty());
    ASSERT_TRUE(QFile::rename(dir.filePath("in.txt"), dir.filePath("renamed.txt")));
    EXPECT_EQ(doc.inputFileName(), dir.filePath("renamed.txt")); // followed through its bookmark
    QFile::remove(dir.filePath("renamed.txt"));
    EXPECT_TRUE(doc.contentsOfInputFile(prompts).isNull());
    EXPECT_EQ(prompts.errors.size(), 1);
}
