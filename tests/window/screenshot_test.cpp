// Writes pictures of the project window with the heat example open, at 1280x800 and at twice the
// pixel density, under the build folder (screenshots/) for people to look at. Also checks that
// no toolbar label is cut off at that size.
#include "build/console.h"
#include "project/fortranfile.h"
#include "window/consoleview.h"
#include "window/filelistmodel.h"
#include "windowtestutil.h"

#include <QDir>
#include <QLabel>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace
{

TEST(Screenshot, ProjectWindowWithTheHeatExample)
{
    const QString outDir = QString(CORVANE_BINARY_DIR) + "/screenshots";
    QDir().mkpath(outDir);
    const QString sources = QString(CORVANE_SOURCE_DIR) + "/examples/heat";
    QStringList files;
    for (const QString &name : QDir(sources).entryList({"*.f90"}, QDir::Files, QDir::Name))
        files << sources + "/" + name;
    ASSERT_FALSE(files.isEmpty());
    {
        MyDocument doc;
        doc.addFileNames(files, false);
        doc.setReleaseCompilerFlags("-O2 -std=f2008");
        doc.setDebugCompilerFlags("-g -O0 -fcheck=all -Wall");
        doc.setProjectCompilerPath("gfortran");
        ASSERT_TRUE(doc.write(outDir + "/Heat.corvane").ok());
    }
    ScriptedPrompts prompts;
    auto opened = MyDocument::open(outDir + "/Heat.corvane", prompts);
    ASSERT_TRUE(opened.ok()) << opened.error().toStdString();
    DocWindowController window(std::move(opened.value()), &prompts);
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.resize(1280, 800);
    window.show();
    window.console()->append("Corvane: Scanning for dependencies...\n", Console::Role::Info);
    window.console()->append("Corvane: Compilation successful.\n", Console::Role::Info);
    const int row = window.document()->indexOfFileNamed(sources + "/solver.f90");
    ASSERT_GE(row, 0);
    window.changeFileTableSelectionToRow(row);
    window.switchTabTo(DocWindowController::EditorTab);
    QTest::qWait(300); // the first indexing runs
    ASSERT_TRUE(window.isEditorShown());

    const QPixmap normal = window.grab();
    EXPECT_TRUE(normal.save(outDir + "/window-1280x800.png"));
    QPixmap hidpi(window.size() * 2);
    hidpi.setDevicePixelRatio(2);
    hidpi.fill(Qt::transparent);
    window.render(&hidpi);
    EXPECT_TRUE(hidpi.save(outDir + "/window-1280x800@2x.png"));

    // The project remembers this view, so opening it shows the same window.
    EXPECT_TRUE(window.saveDocument());

    // Every toolbar button shows its whole label.
    for (QToolButton *b : window.findChildren<QToolButton *>()) {
        if (!b->isVisible() || b->text().isEmpty())
            continue;
        EXPECT_GE(b->width(), b->sizeHint().width()) << b->text().toStdString();
    }
}

} // namespace
