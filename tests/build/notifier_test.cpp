// Notifier against real components: a private session bus with a notification server and a
// launcher listener written here, and a stand-in sendmail on PATH.
#include "build/notifier.h"
#include "project/prompts.h"
#include "settings/defaults.h"
#include "support/privatebus.h"
#include "support/testutil.h"

#include <QFile>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <memory>

using namespace corvane;
using namespace corvane::test;

namespace
{

NotificationSettings allOn()
{
    NotificationSettings s;
    s.notifyWhenComplete = s.notifyByEmail = s.notifyByDock = true;
    s.address = "me@example.org";
    s.header = "Heat finished";
    s.body = "<documentName> took<runTime> & x < y";
    return s;
}

RunCompletionFacts run()
{
    RunCompletionFacts f;
    f.startTime = QDateTime::currentDateTime();
    f.elapsedCPUTime = 1.5;
    f.timeUnitsScale = 1.0 / 60;
    f.documentName = "Heat";
    return f;
}

// The bus, the server and a notifier on its own connection to the bus.
struct BusFixture {
    PrivateSessionBus bus;
    NotificationServer server;
    LauncherListener launcher;
    RecordingPrompts prompts;
    std::unique_ptr<Notifier> notifier;

    explicit BusFixture(bool withServer = true)
    {
        EXPECT_FALSE(bus.address().isEmpty());
        if (withServer) {
            EXPECT_TRUE(server.start(bus));
        }
        EXPECT_TRUE(launcher.start(bus));
        notifier = std::make_unique<Notifier>(&prompts, bus.connect("corvane"));
    }
    bool settle() { return waitUntil([&] { return !notifier->hasPendingWork(); }); }
};

} // namespace

TEST(Notifier, DesktopNotificationCarriesExactlyTheseArguments)
{
    BusFixture f;
    f.notifier->sendGrowlNotificationWithTitle("Heat finished", "x < y & <b>");
    ASSERT_TRUE(waitUntil([&] { return f.server.calls.size() == 1; }));
    const NotifyCall c = f.server.calls.first();
    EXPECT_EQ(c.signature, "susssasa{sv}i");
    EXPECT_EQ(c.appName, "Corvane");
    EXPECT_EQ(c.replacesId, 0u);
    EXPECT_EQ(c.icon, "");
    EXPECT_EQ(c.summary, "Heat finished");
    EXPECT_EQ(c.body, "x &lt; y &amp; &lt;b&gt;");
    EXPECT_TRUE(c.actions.isEmpty());
    EXPECT_EQ(c.hints.value("urgency").typeId(), QMetaType::UChar);
    EXPECT_EQ(c.hints.value("urgency").toInt(), 1);
    EXPECT_EQ(c.hints.value("category").toString(), "Computation Completed");
    EXPECT_EQ(c.hints.value("desktop-entry").toString(), "corvane");
    EXPECT_EQ(c.expireTimeout, -1) << "the server's default unless sticky";

    Defaults::instance().setValue("makeNotificationsSticky", true);
    f.notifier->sendGrowlNotificationWithTitle("again", "");
    Defaults::instance().remove("makeNotificationsSticky");
    ASSERT_TRUE(waitUntil([&] { return f.server.calls.size() == 2; }));
    EXPECT_EQ(f.server.calls[1].expireTimeout, 0) << "sticky: stays until dismissed";
    EXPECT_TRUE(f.settle());
    EXPECT_TRUE(f.prompts.alerts.isEmpty());
}

TEST(Notifier, NoNotificationServiceOrNoBusIsSilent)
{
    {
        BusFixture f(/*withServer=*/false);
        f.notifier->sendGrowlNotificationWithTitle("Heat finished", "body");
        EXPECT_TRUE(f.settle()) << "the error answer ends the call";
        EXPECT_TRUE(f.prompts.alerts.isEmpty());
    }
    // No bus at all: nothing is pending, the badge still counts.
    RecordingPrompts prompts;
    Notifier n(&prompts, QDBusConnection::connectToBus("unix:path=/nonexistent/corvane-bus", "nobus"));
    NotificationSettings s;
    s.notifyWhenComplete = s.notifyByDock = true;
    QObject window;
    n.notifyUserOfCompletion(&window, s, run());
    EXPECT_FALSE(n.hasPendingWork());
    EXPECT_EQ(n.badgeCount(), 1);
    EXPECT_TRUE(prompts.alerts.isEmpty());
}

TEST(Notifier, BadgeCountsEachUnseenWindowOnce)
{
    BusFixture f;
    QSignalSpy attention(f.notifier.get(), &Notifier::attentionRequested);
    NotificationSettings dock;
    dock.notifyByDock = true;
    auto w1 = std::make_unique<QObject>(), w2 = std::make_unique<QObject>();
    f.notifier->notifyUserOfCompletion(w1.get(), dock, run());
    f.notifier->notifyUserOfCompletion(w2.get(), dock, run());
    f.notifier->notifyUserOfCompletion(w1.get(), dock, run()); // a second unseen run of w1
    EXPECT_EQ(f.notifier->badgeCount(), 2);
    EXPECT_EQ(attention.count(), 3) << "every unseen run asks for attention";
    EXPECT_EQ(attention.at(2).at(0).value<QObject *>(), w1.get());

    EXPECT_TRUE(f.notifier->checkIfNotificationIsFlaggedForViewedWindow(w1.get()));
    EXPECT_EQ(f.notifier->badgeCount(), 1);
    EXPECT_FALSE(f.notifier->checkIfNotificationIsFlaggedForViewedWindow(w1.get()));
    EXPECT_TRUE(f.notifier->checkIfNotificationIsFlaggedForViewedWindow(w2.get()));
    EXPECT_EQ(f.notifier->badgeCount(), 0);

    // A window closed before it was seen stays counted; a new window is not mistaken for it.
    auto w3 = std::make_unique<QObject>();
    f.notifier->notifyUserOfCompletion(w3.get(), dock, run());
    w3.reset();
    auto w4 = std::make_unique<QObject>();
    EXPECT_FALSE(f.notifier->checkIfNotificationIsFlaggedForViewedWindow(w4.get()));
    EXPECT_EQ(f.notifier->badgeCount(), 1);

    ASSERT_TRUE(waitUntil([&] { return f.launcher.updates.size() == 6; }));
    const QList<std::pair<qint64, bool>> want{{1, true}, {2, true}, {2, true},
                                              {1, true}, {0, false}, {1, true}};
    for (qsizetype i = 0; i < want.size(); ++i) {
        SCOPED_TRACE(i);
        const LauncherUpdate &u = f.launcher.updates[i];
        EXPECT_EQ(u.signature, "sa{sv}");
        EXPECT_EQ(u.appUri, "application://corvane.desktop");
        EXPECT_EQ(u.properties.value("count").typeId(), QMetaType::LongLong);
        EXPECT_EQ(u.properties.value("count").toLongLong(), want[i].first);
        EXPECT_EQ(u.properties.value("count-visible").toBool(), want[i].second);
    }
}

TEST(Notifier, CompletionSendsTheFilledBodyBothWays)
{
    BusFixture f;
    StandInSendmail sendmail;
    PathPrefix path(sendmail.folder());
    QSignalSpy mailed(f.notifier.get(), &Notifier::emailFinished);
    NotificationSettings s = allOn();
    s.notifyByDock = false;
    QObject window;
    f.notifier->notifyUserOfCompletion(&window, s, run());
    EXPECT_EQ(f.notifier->badgeCount(), 0);
    ASSERT_TRUE(f.settle());
    ASSERT_EQ(f.server.calls.size(), 1);
    EXPECT_EQ(f.server.calls[0].summary, "Heat finished");
    EXPECT_EQ(f.server.calls[0].body, "Heat took  1.500 m &amp; x &lt; y");
    ASSERT_EQ(mailed.count(), 1);
    EXPECT_TRUE(mailed.at(0).at(0).toBool());
    EXPECT_EQ(sendmail.arguments(), QStringList({"-t", "-i"}));
    const QByteArray m = sendmail.message();
    EXPECT_TRUE(m.contains("\nTo: Corvane <me@example.org>\n") || m.startsWith("To: Corvane"))
        << m.toStdString();
    EXPECT_TRUE(m.contains("\nSubject: Heat finished\n")) << m.toStdString();
    EXPECT_TRUE(m.endsWith("\n\nHeat took  1.500 m & x < y\n")) << m.toStdString();
    EXPECT_TRUE(f.prompts.alerts.isEmpty());

    // Nothing chosen: nothing at all.
    f.notifier->notifyUserOfCompletion(&window, NotificationSettings{}, run());
    EXPECT_FALSE(f.notifier->hasPendingWork());
    EXPECT_EQ(f.server.calls.size(), 1);
}

TEST(Notifier, EmailFailuresEndInTheAlert)
{
    RecordingPrompts prompts;
    Notifier n(&prompts, QDBusConnection::connectToBus("unix:path=/nonexistent/corvane-bus", "nobus2"));
    struct Case {
        const char *name;
        QString address;
        QString script; // run by the stand-in after it has read the message
        bool runs;      // sendmail is started
        QString alert;
    };
    const Case cases[] = {
        {"header injection in the address", "me@example.org\nBcc: all@example.org", "", false,
         QString::fromUtf8("The e-mail notification was not sent: \u201cme@example.org Bcc: "
                           "all@example.org\u201d is not one plain e-mail address (such as "
                           "name@example.org).")},
        {"two addresses", "me@example.org, you@example.org", "", false,
         QString::fromUtf8("The e-mail notification was not sent: \u201cme@example.org, "
                           "you@example.org\u201d is not one plain e-mail address (such as "
                           "name@example.org).")},
        {"sendmail fails", "me@example.org", "echo 'sendmail: no route to host' >&2; exit 75",
         true,
         "The e-mail notification was not sent: sendmail ended with exit code 75. sendmail: "
         "no route to host"},
        {"sendmail is killed", "me@example.org", "kill -9 $$", true,
         "The e-mail notification was not sent: sendmail was ended by signal 9 (SIGKILL)."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        StandInSendmail sendmail(c.script);
        PathPrefix path(sendmail.folder());
        prompts.alerts.clear();
        QSignalSpy mailed(&n, &Notifier::emailFinished);
        n.sendEmailNotificationTo(c.address, "Done", "body");
        ASSERT_TRUE(waitUntil([&] { return !n.hasPendingWork(); }));
        ASSERT_EQ(mailed.count(), 1);
        EXPECT_FALSE(mailed.at(0).at(0).toBool());
        EXPECT_EQ(sendmail.ran(), c.runs);
        EXPECT_EQ(prompts.alerts, QStringList{c.alert});
    }
}

TEST(Notifier, ASendmailThatHangsIsEndedAtTheLimit)
{
    RecordingPrompts prompts;
    Notifier n(&prompts, QDBusConnection::connectToBus("unix:path=/nonexistent/corvane-bus", "nobus3"));
    n.setEmailTimeoutMs(300);
    StandInSendmail sendmail("echo $$ > \"$dir/pid\"; sleep 60");
    PathPrefix path(sendmail.folder());
    n.sendEmailNotificationTo("me@example.org", "Done", "body");
    EXPECT_TRUE(n.hasPendingWork()) << "sending does not wait for sendmail";
    ASSERT_TRUE(waitUntil([&] { return !n.hasPendingWork(); }, 10000));
    EXPECT_EQ(prompts.alerts, QStringList{"The e-mail notification was not sent: sendmail did not "
                                          "finish within 0.3 seconds."});
    const qint64 pid = readFile(sendmail.folder() + "/pid").trimmed().toLongLong();
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(waitUntil([&] { return processEnded(pid); }, 10000));
}

TEST(Notifier, AMissingSendmailEndsInTheAlert)
{
    QProcessEnvironment env;
    env.insert("PATH", "/nonexistent-a:/nonexistent-b");
    if (QFile::exists("/usr/sbin/sendmail"))
        GTEST_SKIP() << "this system has /usr/sbin/sendmail";
    EXPECT_EQ(Notifier::findSendmail(env), "");
    StandInSendmail sendmail;
    env.insert("PATH", "/nonexistent-a:" + sendmail.folder());
    EXPECT_EQ(Notifier::findSendmail(env), sendmail.folder() + "/sendmail");

    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", "/nonexistent-a");
    RecordingPrompts prompts;
    Notifier n(&prompts, QDBusConnection::connectToBus("unix:path=/nonexistent/corvane-bus", "nobus4"));
    n.sendEmailNotificationTo("me@example.org", "Done", "body");
    qputenv("PATH", oldPath);
    // (we had this bug) The alert was shown inside the run's completion handling, whose console
    // line then waited for the user's answer.
    EXPECT_TRUE(prompts.alerts.isEmpty()) << "not before the caller has finished";
    ASSERT_TRUE(waitUntil([&] { return !n.hasPendingWork(); }));
    EXPECT_EQ(prompts.alerts, QStringList{"The e-mail notification was not sent: sendmail was "
                                          "found neither on the search path nor in /usr/sbin."});
}
