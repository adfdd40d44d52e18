// Helpers for window tests: prompts that answer from a script, and a temporary project with a few
// sources opened in a project window.
#pragma once

#include "project/mydocument.h"
#include "project/prompts.h"
#include "support/testutil.h"
#include "window/docwindowcontroller.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <gtest/gtest.h>

#include <deque>
#include <memory>

namespace corvane::test
{

// Answers questions in order from a script, then with the fallback answer.
class ScriptedPrompts : public RecordingPrompts
{
public:
    explicit ScriptedPrompts(int fallback = 0) : RecordingPrompts(fallback) {}
    int ask(const QString &message, const QString &informativeText,
            const QStringList &buttons) override
    {
        RecordingPrompts::ask(message, informativeText, buttons);
        if (script.empty())
            return answer;
        const int next = script.front();
        script.pop_front();
        return next;
    }
    std::deque<int> script;
};

// A project "Demo.corvane" in a temporary folder with the given sources (name -> text).
struct ProjectFixture {
    QTemporaryDir dir;
    ScriptedPrompts prompts;

    QString path(const QString &name) const { return QDir(dir.path()).filePath(name); }

    QString makeProject(const QList<std::pair<QString, QByteArray>> &sources)
    {
        MyDocument doc;
        QStringList paths;
        for (const auto &[name, text] : sources) {
            writeFile(path(name), text);
            paths << path(name);
        }
        doc.addFileNames(paths, false);
        const QString projectPath = path("Demo.corvane");
        const auto written = doc.write(projectPath);
        EXPECT_TRUE(written.ok()) << written.error().toStdString();
        return projectPath;
    }

    std::unique_ptr<DocWindowController> open(const QString &projectPath)
    {
        auto opened = MyDocument::open(projectPath, prompts);
        EXPECT_TRUE(opened.ok()) << opened.error().toStdString();
        auto window = std::make_unique<DocWindowController>(std::move(opened.value()), &prompts);
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        return window;
    }

    // The project's window, opened at a desktop size and shown on the screen.
    std::unique_ptr<DocWindowController> openShown(const QString &projectPath)
    {
        auto window = open(projectPath);
        window->resize(1280, 800);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return window;
    }
};

// Presses a toolbar item the way a user does: it must be there and enabled.
inline void pressToolbarItem(DocWindowController *window, const char *command)
{
    QWidget *button = window->toolbar()->widgetForAction(window->action(command));
    ASSERT_NE(button, nullptr) << command;
    ASSERT_TRUE(button->isEnabled()) << command;
    QTest::mouseClick(button, Qt::LeftButton);
}

} // namespace corvane::test
