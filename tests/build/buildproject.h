// A saved project in a temporary folder wired to a BuildDriver as a project window wires it, for
// the build driver's tests with the real make and gfortran.
#pragma once

#include "build/builddriver.h"
#include "build/interactiveconsolecontroller.h"
#include "build/rundriver.h"
#include "faketool.h"
#include "project/fileoperations.h"
#include "project/mydocument.h"
#include "project/prompts.h"
#include "settings/defaults.h"
#include "support/testutil.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace corvane::test
{

inline const QString kSuccess = QString::fromUtf8(buildtexts::kSuccess);

inline QString gfortran()
{
    return QStandardPaths::findExecutable("gfortran");
}

// A saved project in a temporary folder with the window's collaborators.
struct Project {
    QTemporaryDir dir;
    MyDocument doc;
    RecordingConsole console;
    InteractiveConsoleController runner{&console};
    RecordingPrompts prompts;
    RunDriver run{&doc, &runner, &prompts};
    FileOperations files{doc, prompts};
    BuildDriver driver{&doc, &run, &files, &prompts};
    QSignalSpy finished{&driver, &BuildDriver::buildFinished};

    explicit Project(const QString &name = "Demo")
    {
        Defaults::instance().remove("environmentVariables");
        Defaults::instance().remove("parallelBuild");
        Defaults::instance().remove("parallelJobs");
        Defaults::instance().remove("clearConsoleOnCompile");
        doc.setFileName(dir.filePath(name + ".corvane"));
        doc.setProjectCompilerPath(gfortran());
        doc.setInputOption(2);
    }
    QString path(const QString &relative) const { return dir.filePath(relative); }
    void addSource(const QString &name, const QByteArray &text)
    {
        writeFile(path(name), text);
        doc.addFileNames({path(name)}, false);
    }
    // Builds and waits for make's end; answers whether the product was made.
    bool buildAndWait(int timeoutMs = 180000)
    {
        const qsizetype before = finished.count();
        if (!driver.build() && finished.count() == before)
            return false;
        EXPECT_TRUE(waitFor([&] { return finished.count() > before; }, timeoutMs));
        return driver.productWasMade();
    }
    QString buildFile(const QString &name) const
    {
        return QDir(doc.buildDirectoryPath()).filePath(name);
    }
};

// Sets the modification time of an existing file (QFile needs it open for that).
inline void setModified(const QString &path, const QDateTime &when)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
}

} // namespace corvane::test
