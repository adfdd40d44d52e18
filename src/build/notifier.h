// Notifier: tells the user that a run ended while its window was out of view, in the ways the
// project chose: a desktop notification (org.freedesktop.Notifications on the session bus), an
// e-mail (`sendmail -t -i`, run through the process runner with a time limit, so nothing waits
// for it), and the launcher badge (com.canonical.Unity.LauncherEntry) with an attention request.
// One Notifier serves every window and keeps the set of windows announced and not yet seen.
// The window itself is an opaque key here; the attention request is a signal the window layer
// turns into QApplication::alert().
#pragma once

#include "build/notificationtext.h"

#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <QProcessEnvironment>
#include <QSet>
#include <QString>

namespace corvane
{

class MyDocument;
class Prompts;
class RunDriver;

namespace notifiertexts
{
inline constexpr char kNotificationsService[] = "org.freedesktop.Notifications";
inline constexpr char kNotificationsPath[] = "/org/freedesktop/Notifications";
inline constexpr char kNotificationsInterface[] = "org.freedesktop.Notifications";
inline constexpr char kLauncherPath[] = "/com/canonical/unity/launcherentry/corvane";
inline constexpr char kLauncherInterface[] = "com.canonical.Unity.LauncherEntry";
inline constexpr char kLauncherAppUri[] = "application://corvane.desktop";
inline constexpr char kDesktopEntry[] = "corvane";
inline constexpr char kNotSent[] = "The e-mail notification was not sent: %1";
inline constexpr char kNoSendmail[] =
    "sendmail was found neither on the search path nor in /usr/sbin.";
inline constexpr char kBadAddress[] =
    "\u201c%1\u201d is not one plain e-mail address (such as name@example.org).";
inline constexpr char kSendmailExit[] = "sendmail ended with exit code %1.";
inline constexpr char kSendmailSignal[] = "sendmail was ended by signal %1 (%2).";
inline constexpr char kSendmailTimeout[] = "sendmail did not finish within %1 seconds.";
inline constexpr char kSendmailStart[] = "sendmail could not be started: %1";
} // namespace notifiertexts

// What the placeholders of the run that run just ended are filled from; documentName is the
// project's name as its window shows it (without the extension).
RunCompletionFacts runCompletionFacts(const RunDriver &run, const MyDocument &document,
                                      const QString &documentName);

class Notifier : public QObject
{
    Q_OBJECT
public:
    static constexpr int kEmailTimeoutMs = 30000;

    // Alerts about e-mail go to prompts (may be null: nothing is shown). The bus is the session
    // bus unless a test gives another; a bus that is not connected means no desktop
    // notification and no launcher count, silently.
    explicit Notifier(Prompts *prompts, QDBusConnection bus = QDBusConnection::sessionBus(),
                      QObject *parent = nullptr);
    ~Notifier() override;

    // A run of window's project ended unseen. Nothing when no way is chosen; else the dock step
    // (attention, the window counted once in the badge; skipped for a null window), then the
    // filled body as desktop notification and e-mail.
    void notifyUserOfCompletion(QObject *window, const NotificationSettings &settings,
                                const RunCompletionFacts &facts);
    // Window came to the front: true when it was counted (the badge goes down by one).
    bool checkIfNotificationIsFlaggedForViewedWindow(QObject *window);
    // A desktop notification with title and description (markup-escaped here), or nothing
    // when no notification service answers.
    void sendGrowlNotificationWithTitle(const QString &title, const QString &description);
    // Checks the address, then hands the message to sendmail in the background. A refused
    // address, a missing sendmail, a failure or the time limit ends in the alert, always shown
    // from the event loop after this returns.
    void sendEmailNotificationTo(const QString &address, const QString &subject,
                                 const QString &body);

    int badgeCount() const { return int(m_windowsWithPostedNotifications.size()); }
    bool isWindowCounted(QObject *window) const;
    void setEmailTimeoutMs(int ms) { m_emailTimeoutMs = ms; }
    // The sendmail program for an environment: the first on its PATH, else /usr/sbin/sendmail;
    // empty when neither is an executable file.
    static QString findSendmail(const QProcessEnvironment &environment);

    // E-mails being sent and bus calls waiting for their answer.
    bool hasPendingWork() const { return m_pending > 0; }
    // Runs the event loop until nothing is pending (the command line waits before it exits).
    void waitForPendingWork();

signals:
    // The window layer requests the user's attention for window (one urgency request).
    void attentionRequested(QObject *window);
    void badgeCountChanged(int count);
    // An e-mail ended: sent, or the brief message the alert showed.
    void emailFinished(bool sent, const QString &message);
    void idle();

private:
    void updateBadge();
    void failEmail(const QString &brief);
    void failEmailLater(const QString &brief);
    void workStarted() { ++m_pending; }
    void workEnded();

    Prompts *m_prompts;
    QDBusConnection m_bus;
    int m_emailTimeoutMs = kEmailTimeoutMs;
    int m_pending = 0;
    quint64 m_nextToken = 1;
    // Each window gets a token; a closed window that was never seen keeps its token counted.
    QHash<const QObject *, quint64> m_tokens;
    QSet<quint64> m_windowsWithPostedNotifications;
};

} // namespace corvane
