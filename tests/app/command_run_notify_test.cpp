// `corvane run PROJECT --notify`: the end of a run is told as the project says, to a
// notification server on a private session bus and to a stand-in sendmail on PATH.
#include "project/mydocument.h"
#include "support/privatebus.h"
#include "support/testutil.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace
{

struct NotifyingProject {
    QTemporaryDir dir;
    QString projectPath;

    explicit NotifyingProject(const QString &address)
    {
        MyDocument doc;
        projectPath = dir.filePath("Heat.corvane");
        doc.setFileName(projectPath);
        doc.setInputOption(2);
        doc.setNotifyWhenComplete(true);
        doc.setNotifyByEmail(true);
        doc.setNotifyByDock(true);
        doc.setNotificationEmailAddress(address);
        doc.setNotificationHeader(QString::fromUtf8("Heat \u2013 finished"));
        doc.setNotificationBody("<documentName> ended with x < y");
        const auto written = doc.write(projectPath);
        EXPECT_TRUE(written.ok()) << written.error().toStdString();
        const auto built = runProgram(
            "gfortran",
            {"-o", dir.filePath(doc.executableName()),
             QStringLiteral(CORVANE_SOURCE_DIR "/tests/build/data/runner_faketool.f90")},
            {}, dir.path(), 120000);
        EXPECT_EQ(built.exitCode, 0) << built.err.toStdString();
    }
};

// Runs corvane while this process's event loop keeps the bus's server answering.
ProgramResult runWithEvents(const QStringList &args, const QString &busAddress,
                            const QString &pathPrefix, const QString &workingDir)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DBUS_SESSION_BUS_ADDRESS", busAddress);
    if (!pathPrefix.isEmpty())
        env.insert("PATH", pathPrefix + ":" + env.value("PATH"));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(workingDir);
    p.start(corvaneExecutable(), args);
    p.closeWriteChannel();
    ProgramResult r;
    if (!waitUntil([&] { return p.state() == QProcess::NotRunning; }, 60000)) {
        p.kill();
        p.waitForFinished();
        ADD_FAILURE() << "corvane run timed out";
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

} // namespace

TEST(RunCommand, NotifyTellsTheEndOfTheRunBothWays)
{
    NotifyingProject project("me@example.org");
    PrivateSessionBus bus;
    NotificationServer server;
    ASSERT_TRUE(server.start(bus));
    StandInSendmail sendmail;
    const auto r = runWithEvents({"run", project.projectPath, "--args", "exit 3", "--notify"},
                                 bus.address(), sendmail.folder(), project.dir.path());
    EXPECT_EQ(r.exitCode, 3) << "the program's status: " << r.err.toStdString();
    ASSERT_EQ(server.calls.size(), 1) << r.err.toStdString();
    EXPECT_EQ(server.calls[0].appName, "Corvane");
    EXPECT_EQ(server.calls[0].summary, QString::fromUtf8("Heat \u2013 finished"));
    EXPECT_EQ(server.calls[0].body, "Heat ended with x &lt; y");
    EXPECT_EQ(sendmail.arguments(), QStringList({"-t", "-i"}));
    const QByteArray m = sendmail.message();
    EXPECT_TRUE(m.contains("To: Corvane <me@example.org>\n")) << m.toStdString();
    EXPECT_TRUE(m.contains("Subject: =?UTF-8?B?")) << m.toStdString();
    EXPECT_TRUE(m.endsWith("\n\nHeat ended with x < y\n")) << m.toStdString();

    // Without --notify nothing is told.
    const auto quiet = runWithEvents({"run", project.projectPath, "--args", "exit 0"}, bus.address(),
                                     sendmail.folder(), project.dir.path());
    EXPECT_EQ(quiet.exitCode, 0) << quiet.err.toStdString();
    EXPECT_EQ(server.calls.size(), 1);
}

TEST(RunCommand, NotifyWithABadAddressAndNoBusTellsWhyOnStandardError)
{
    NotifyingProject project("me@example.org\nBcc: everyone@example.org");
    StandInSendmail sendmail;
    const auto r = runWithEvents({"run", project.projectPath, "--args", "exit 0", "--notify"},
                                 "unix:path=/nonexistent/corvane-bus", sendmail.folder(),
                                 project.dir.path());
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_FALSE(sendmail.ran()) << "refused before sendmail runs";
    EXPECT_TRUE(QString::fromUtf8(r.err).contains(
        QString::fromUtf8("corvane: The e-mail notification was not sent: \u201cme@example.org "
                          "Bcc: everyone@example.org\u201d is not one plain e-mail address")))
        << r.err.toStdString();
}
