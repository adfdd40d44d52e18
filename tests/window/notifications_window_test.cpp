// Completion notifications from project windows: runs that end while two windows are out of view
// count in the launcher badge and reach the notification server; bringing a window to the front
// checks it off. The Notifications section of the options pane is driven with real key and mouse
// events.
#include "build/interactiveconsolecontroller.h"
#include "build/notifier.h"
#include "build/rundriver.h"
#include "settings/defaults.h"
#include "support/privatebus.h"
#include "window/preferenceswindow.h"
#include "window/notificationoptions.h"
#include "window/optionspane.h"
#include "windowtestutil.h"

#include <QCheckBox>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QToolButton>
#include <gtest/gtest.h>

namespace corvane
{
namespace
{

std::unique_ptr<DocWindowController> windowWithQuickProgram(test::ProjectFixture &fx)
{
    auto window = fx.open(fx.makeProject({{"a.f90", "program a\nend program a\n"}}));
    MyDocument *doc = window->document();
    const QString program = fx.path(doc->executableName());
    test::writeFile(program, "#!/bin/sh\necho done\n");
    QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner);
    doc->setInputOption(1);
    doc->setNotifyByDock(true);
    doc->setNotifyWhenComplete(true);
    doc->setNotificationHeader("Finished");
    doc->setNotificationBody("<documentName> ended after<runTime>");
    return window;
}

void runToTheEnd(DocWindowController &window)
{
    QSignalSpy done(window.runner(), &InteractiveConsoleController::consoleTaskCompleted);
    ASSERT_TRUE(window.runDriver()->run());
    ASSERT_TRUE(done.wait(10000) || done.count() == 1);
}

TEST(NotificationsInWindow, TwoUnseenWindowsCountAndFrontWindowsAreCheckedOff)
{
    test::PrivateSessionBus bus;
    test::NotificationServer server;
    ASSERT_TRUE(server.start(bus));
    test::LauncherListener launcher;
    ASSERT_TRUE(launcher.start(bus));
    RecordingPrompts prompts;
    Notifier notifier(&prompts, bus.connect("corvane"));
    QSignalSpy attention(&notifier, &Notifier::attentionRequested);

    test::ProjectFixture fx1, fx2;
    auto w1 = windowWithQuickProgram(fx1);
    auto w2 = windowWithQuickProgram(fx2);
    w1->setNotifier(&notifier);
    w2->setNotifier(&notifier);

    // Neither window is shown, so neither is in view.
    runToTheEnd(*w1);
    runToTheEnd(*w2);
    EXPECT_EQ(notifier.badgeCount(), 2);
    ASSERT_EQ(attention.count(), 2);
    EXPECT_EQ(attention.at(0).at(0).value<QObject *>(), w1.get());
    ASSERT_TRUE(test::waitUntil([&] { return server.calls.size() == 2; }));
    EXPECT_EQ(server.calls[0].summary, "Finished");
    EXPECT_TRUE(server.calls[0].body.startsWith("Demo ended after  ")) << server.calls[0].body.toStdString();
    EXPECT_TRUE(server.calls[0].body.endsWith(" s")) << server.calls[0].body.toStdString();

    // w1 comes to the front: the badge shows 1; then w2: no badge.
    w1->show();
    w1->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w1.get()));
    EXPECT_EQ(notifier.badgeCount(), 1);
    EXPECT_FALSE(notifier.isWindowCounted(w1.get()));
    w2->show();
    w2->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w2.get()));
    EXPECT_EQ(notifier.badgeCount(), 0);

    // A run that ends while its window is in front announces nothing.
    runToTheEnd(*w2);
    EXPECT_EQ(notifier.badgeCount(), 0);
    EXPECT_EQ(attention.count(), 2);

    ASSERT_TRUE(test::waitUntil([&] { return launcher.updates.size() == 4; }));
    QList<qint64> counts;
    for (const auto &u : launcher.updates)
        counts << u.properties.value("count").toLongLong();
    EXPECT_EQ(counts, QList<qint64>({1, 2, 1, 0}));
    EXPECT_FALSE(launcher.updates.last().properties.value("count-visible").toBool());
    EXPECT_EQ(server.calls.size(), 2);
    EXPECT_TRUE(prompts.alerts.isEmpty());
}

TEST(NotificationsInWindow, TheOptionsSectionEditsTheProjectsSettings)
{
    test::ProjectFixture fx;
    const QString path = fx.makeProject({{"a.f90", "program a\nend program a\n"}});
    auto window = fx.open(path);
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    MyDocument *doc = window->document();
    NotificationOptions *n = window->optionsPane()->notificationOptions();
    ASSERT_NE(n, nullptr);

    QTest::mouseClick(n->emailBox(), Qt::LeftButton, {}, QPoint(4, n->emailBox()->height() / 2));
    EXPECT_TRUE(doc->notifyByEmail());
    EXPECT_TRUE(n->addressProblem()->isVisibleTo(n)) << "e-mail without an address";
    QTest::mouseClick(n->badgeBox(), Qt::LeftButton, {}, QPoint(4, n->badgeBox()->height() / 2));
    EXPECT_TRUE(doc->notifyByDock());
    EXPECT_FALSE(doc->notifyWhenComplete());

    // An address that is more than one plain address is shown as a problem while typed.
    n->addressEdit()->setFocus();
    QTest::keyClicks(n->addressEdit(), "me@example.org, you@example.org");
    EXPECT_TRUE(n->addressProblem()->isVisibleTo(n));
    EXPECT_TRUE(n->addressProblem()->text().contains("plain address"));
    n->addressEdit()->selectAll();
    QTest::keyClicks(n->addressEdit(), "me@example.org");
    EXPECT_FALSE(n->addressProblem()->isVisibleTo(n));
    QTest::keyClick(n->addressEdit(), Qt::Key_Tab);
    EXPECT_EQ(doc->notificationEmailAddress(), "me@example.org");

    n->headerEdit()->setFocus();
    QTest::keyClicks(n->headerEdit(), "Heat done");
    QTest::keyClick(n->headerEdit(), Qt::Key_Return);
    EXPECT_EQ(doc->notificationHeader(), "Heat done");
    n->bodyEdit()->setFocus();
    QTest::keyClicks(n->bodyEdit(), "<documentName> x < y");
    EXPECT_EQ(doc->notificationBody(), "<documentName> x < y");
    EXPECT_TRUE(doc->isDocumentEdited());

    // The help panel names every placeholder.
    QTest::mouseClick(n->helpButton(), Qt::LeftButton);
    ASSERT_NE(n->helpPanel(), nullptr);
    QTRY_VERIFY(n->helpPanel()->isVisible());
    const QString help = n->helpPanel()->findChild<QLabel *>()->text();
    for (const char *p : {"&lt;endTime&gt;", "&lt;documentName&gt;", "&lt;runTime&gt;",
                          "&lt;inputFileName&gt;"})
        EXPECT_TRUE(help.contains(p)) << p;
    n->helpPanel()->close();

    // Saved under "userNotificationInfo" and shown again when the project is opened.
    ASSERT_TRUE(window->saveDocument());
    window->close();
    auto again = fx.open(path);
    NotificationOptions *m = again->optionsPane()->notificationOptions();
    EXPECT_TRUE(m->emailBox()->isChecked());
    EXPECT_TRUE(m->badgeBox()->isChecked());
    EXPECT_FALSE(m->desktopBox()->isChecked());
    EXPECT_EQ(m->addressEdit()->text(), "me@example.org");
    EXPECT_EQ(m->headerEdit()->text(), "Heat done");
    EXPECT_EQ(m->bodyEdit()->toPlainText(), "<documentName> x < y");
}

TEST(NotificationsInWindow, StickyNotificationsAreChosenInThePreferences)
{
    Defaults &d = Defaults::instance();
    d.remove("makeNotificationsSticky");
    RecordingPrompts prompts;
    PreferencesWindow window(&prompts);
    window.show();
    auto *sticky = window.findChild<QCheckBox *>("makeNotificationsSticky");
    ASSERT_NE(sticky, nullptr);
    EXPECT_FALSE(sticky->isChecked());
    QTest::mouseClick(sticky, Qt::LeftButton, {}, QPoint(8, sticky->height() / 2));
    EXPECT_TRUE(d.boolValue("makeNotificationsSticky"));
    d.remove("makeNotificationsSticky");
}

} // namespace
} // namespace corvane
