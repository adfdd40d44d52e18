#include "privatebus.h"

#include "testutil.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>
#include <gtest/gtest.h>

namespace corvane::test
{

namespace
{

// A session bus with no service files: nothing on it is started on demand, so a test sees only
// the services it registers itself.
constexpr char kBusConfig[] = R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

QString configPath()
{
    static QTemporaryDir dir;
    const QString path = dir.filePath("session.conf");
    if (!QFile::exists(path))
        writeFile(path, kBusConfig);
    return path;
}

int s_connections = 0;

} // namespace

PrivateSessionBus::PrivateSessionBus()
{
    m_daemon.setProgram("dbus-daemon");
    m_daemon.setArguments({"--config-file=" + configPath(), "--print-address=1", "--nofork"});
    m_daemon.start();
    if (!m_daemon.waitForStarted(10000)) {
        ADD_FAILURE() << "dbus-daemon did not start (package dbus)";
        return;
    }
    const QDeadlineTimer deadline(10000);
    while (!m_daemon.canReadLine() && !deadline.hasExpired())
        m_daemon.waitForReadyRead(100);
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    if (m_address.isEmpty())
        ADD_FAILURE() << "dbus-daemon printed no address: " << m_daemon.readAllStandardError().toStdString();
}

PrivateSessionBus::~PrivateSessionBus()
{
    m_daemon.terminate();
    if (!m_daemon.waitForFinished(5000))
        m_daemon.kill();
    m_daemon.waitForFinished(1000);
}

QDBusConnection PrivateSessionBus::connect(const QString &name) const
{
    // Names are unique per process, so a test's connections never meet an earlier bus's.
    return QDBusConnection::connectToBus(m_address, name + QString::number(++s_connections));
}

bool NotificationServer::start(const PrivateSessionBus &bus)
{
    m_connection = bus.connect("notification-server");
    return m_connection.isConnected() &&
           m_connection.registerObject("/org/freedesktop/Notifications", this,
                                       QDBusConnection::ExportAllSlots) &&
           m_connection.registerService("org.freedesktop.Notifications");
}

uint NotificationServer::Notify(const QString &appName, uint replacesId, const QString &icon,
                                const QString &summary, const QString &body,
                                const QStringList &actions, const QVariantMap &hints,
                                int expireTimeout, const QDBusMessage &message)
{
    calls.append({message.signature(), appName, replacesId, icon, summary, body, actions, hints,
                  expireTimeout});
    return uint(calls.size());
}

bool LauncherListener::start(const PrivateSessionBus &bus)
{
    m_connection = bus.connect("launcher");
    return m_connection.isConnected() &&
           m_connection.connect(QString(), QString(), "com.canonical.Unity.LauncherEntry",
                                "Update", this, SLOT(update(QDBusMessage)));
}

void LauncherListener::update(const QDBusMessage &message)
{
    const QList<QVariant> args = message.arguments();
    LauncherUpdate u;
    u.signature = message.signature();
    if (args.size() == 2) {
        u.appUri = args[0].toString();
        u.properties = qdbus_cast<QVariantMap>(args[1]);
    }
    updates.append(u);
}

StandInSendmail::StandInSendmail(const QString &after)
{
    const QString script = "#!/bin/sh\n"
                           "dir=\"$(dirname \"$0\")\"\n"
                           "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$dir/args.txt\"\n"
                           "cat > \"$dir/message.txt\"\n" +
                           after + "\n";
    const QString path = m_dir.filePath("sendmail");
    writeFile(path, script.toUtf8());
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QStringList StandInSendmail::arguments() const
{
    QFile f(m_dir.filePath("args.txt"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QStringList args = QString::fromUtf8(f.readAll()).split('\n');
    if (!args.isEmpty() && args.last().isEmpty())
        args.removeLast();
    return args;
}

QByteArray StandInSendmail::message() const
{
    QFile f(m_dir.filePath("message.txt"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool StandInSendmail::ran() const
{
    return QFile::exists(m_dir.filePath("args.txt"));
}

PathPrefix::PathPrefix(const QString &folder) : m_old(qgetenv("PATH"))
{
    qputenv("PATH", folder.toLocal8Bit() + ":" + m_old);
}

PathPrefix::~PathPrefix()
{
    qputenv("PATH", m_old);
}

bool waitUntil(const std::function<bool()> &done, int ms)
{
    const QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return done();
}

} // namespace corvane::test
