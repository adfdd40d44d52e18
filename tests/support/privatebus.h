// A D-Bus session bus of the test's own (dbus-daemon --session), a desktop notification server
// on it that records every Notify call, a listener for the launcher's Update signal, and a
// stand-in sendmail script that saves its arguments and standard input.
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QList>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantMap>

#include <functional>

namespace corvane::test
{

class PrivateSessionBus
{
public:
    // Starts the daemon; address() is empty (and the test has failed) when it could not start.
    PrivateSessionBus();
    ~PrivateSessionBus();
    QString address() const { return m_address; }
    // A new connection to this bus under the given name.
    QDBusConnection connect(const QString &name) const;

private:
    QProcess m_daemon;
    QString m_address;
};

// One recorded Notify call.
struct NotifyCall {
    QString signature;
    QString appName;
    uint replacesId = 0;
    QString icon;
    QString summary;
    QString body;
    QStringList actions;
    QVariantMap hints;
    int expireTimeout = 0;
};

// Owns "org.freedesktop.Notifications" on its own connection and answers Notify with an id.
class NotificationServer : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    // false when the name or the object could not be registered.
    bool start(const PrivateSessionBus &bus);
    QList<NotifyCall> calls;

public slots:
    uint Notify(const QString &appName, uint replacesId, const QString &icon,
                const QString &summary, const QString &body, const QStringList &actions,
                const QVariantMap &hints, int expireTimeout, const QDBusMessage &message);

private:
    QDBusConnection m_connection{QString()};
};

// One recorded launcher Update signal.
struct LauncherUpdate {
    QString signature;
    QString appUri;
    QVariantMap properties;
};

class LauncherListener : public QObject
{
    Q_OBJECT
public:
    bool start(const PrivateSessionBus &bus);
    QList<LauncherUpdate> updates;

public slots:
    void update(const QDBusMessage &message);

private:
    QDBusConnection m_connection{QString()};
};

// A folder holding an executable "sendmail" that writes its arguments (one a line) to
// args.txt and its standard input to message.txt, then runs the given shell lines (e.g.
// "echo 'sendmail: no route' >&2; exit 75" or "sleep 60").
class StandInSendmail
{
public:
    explicit StandInSendmail(const QString &after = QString());
    QString folder() const { return m_dir.path(); }
    QStringList arguments() const;
    QByteArray message() const;
    bool ran() const;

private:
    QTemporaryDir m_dir;
};

// Puts folder first on PATH while it lives.
class PathPrefix
{
public:
    explicit PathPrefix(const QString &folder);
    ~PathPrefix();

private:
    QByteArray m_old;
};

// Waits, running the event loop, until done() holds or ms pass; answers done().
bool waitUntil(const std::function<bool()> &done, int ms = 10000);

} // namespace corvane::test
