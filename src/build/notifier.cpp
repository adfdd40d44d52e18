#include "build/notifier.h"

#include "build/console.h"
#include "build/interactiveconsolecontroller.h"
#include "build/rundriver.h"
#include "build/unix.h"
#include "project/mydocument.h"
#include "project/prompts.h"
#include "settings/defaults.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QEventLoop>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>

namespace corvane
{

namespace
{

QString text(const char *literal)
{
    return QString::fromUtf8(literal);
}

// sendmail's output has no console; the runner's own lines (a failed start) are kept here.
class MailConsole : public Console
{
public:
    void append(const QString &t, Role) override { written += t; }
    void clear() override { written.clear(); }
    QString written;
};

// One e-mail on its way: the runner, its console and the time limit, gone when it ends.
struct EmailJob : QObject {
    MailConsole console;
    InteractiveConsoleController runner{&console};
    QTimer limit;
    bool timedOut = false;
};

// The first line sendmail wrote to its error stream, if any.
QString firstErrorLine(const QString &errors)
{
    for (const QString &line : errors.split(QLatin1Char('\n'))) {
        const QString t = line.trimmed();
        if (!t.isEmpty())
            return t;
    }
    return QString();
}

} // namespace

RunCompletionFacts runCompletionFacts(const RunDriver &run, const MyDocument &document,
                                      const QString &documentName)
{
    RunCompletionFacts f;
    f.startTime = run.startTime();
    f.elapsedCPUTime = run.elapsedCPUTime();
    f.timeUnitsScale = run.timeUnitsScale();
    f.documentName = documentName;
    f.inputFileName = document.storedInputFileName();
    return f;
}

Notifier::Notifier(Prompts *prompts, QDBusConnection bus, QObject *parent)
    : QObject(parent), m_prompts(prompts), m_bus(std::move(bus))
{
}

Notifier::~Notifier() = default;

void Notifier::notifyUserOfCompletion(QObject *window, const NotificationSettings &settings,
                                      const RunCompletionFacts &facts)
{
    if (!settings.any())
        return;
    if (settings.notifyByDock && window) {
        emit attentionRequested(window);
        auto token = m_tokens.constFind(window);
        if (token == m_tokens.cend()) {
            token = m_tokens.insert(window, m_nextToken++);
            connect(window, &QObject::destroyed, this,
                    [this](QObject *gone) { m_tokens.remove(gone); });
        }
        m_windowsWithPostedNotifications.insert(*token);
        updateBadge();
    }
    if (!settings.notifyWhenComplete && !settings.notifyByEmail)
        return;
    const QString body = fillPlaceholders(settings.body, facts);
    if (settings.notifyWhenComplete)
        sendGrowlNotificationWithTitle(settings.header, body);
    if (settings.notifyByEmail)
        sendEmailNotificationTo(settings.address, settings.header, body);
}

bool Notifier::checkIfNotificationIsFlaggedForViewedWindow(QObject *window)
{
    const auto token = m_tokens.constFind(window);
    if (token == m_tokens.cend() || !m_windowsWithPostedNotifications.remove(*token))
        return false;
    updateBadge();
    return true;
}

bool Notifier::isWindowCounted(QObject *window) const
{
    const auto token = m_tokens.constFind(window);
    return token != m_tokens.cend() && m_windowsWithPostedNotifications.contains(*token);
}

void Notifier::updateBadge()
{
    const int count = badgeCount();
    emit badgeCountChanged(count);
    if (!m_bus.isConnected())
        return;
    QDBusMessage update = QDBusMessage::createSignal(text(notifiertexts::kLauncherPath),
                                                     text(notifiertexts::kLauncherInterface),
                                                     QStringLiteral("Update"));
    const QVariantMap properties{{QStringLiteral("count"), QVariant::fromValue(qint64(count))},
                                 {QStringLiteral("count-visible"), count > 0}};
    update << text(notifiertexts::kLauncherAppUri) << properties;
    m_bus.send(update);
}

void Notifier::sendGrowlNotificationWithTitle(const QString &title, const QString &description)
{
    if (!m_bus.isConnected())
        return;
    QDBusMessage notify = QDBusMessage::createMethodCall(
        text(notifiertexts::kNotificationsService), text(notifiertexts::kNotificationsPath),
        text(notifiertexts::kNotificationsInterface), QStringLiteral("Notify"));
    const QVariantMap hints{
        {QStringLiteral("urgency"), QVariant::fromValue(uchar(1))}, // normal
        {QStringLiteral("category"), text(notificationtexts::kNotificationName)},
        {QStringLiteral("desktop-entry"), text(notifiertexts::kDesktopEntry)}};
    const bool sticky = Defaults::instance().boolValue(notificationtexts::kStickyKey);
    notify << text(notificationtexts::kApplicationName) << uint(0) << QString("") << title
           << escapeNotificationMarkup(description) << QStringList() << hints
           << int(sticky ? 0 : -1);
    // Asynchronous: a missing service is an error answer that nobody needs to see.
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(notify), this);
    workStarted();
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        workEnded();
    });
}

QString Notifier::findSendmail(const QProcessEnvironment &environment)
{
    const QStringList path =
        environment.value(QStringLiteral("PATH")).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    QString found = QStandardPaths::findExecutable(QStringLiteral("sendmail"), path);
    if (found.isEmpty()) {
        const QFileInfo system(QStringLiteral("/usr/sbin/sendmail"));
        if (system.isFile() && system.isExecutable())
            found = system.absoluteFilePath();
    }
    return found;
}

void Notifier::failEmail(const QString &brief)
{
    const QString message = text(notifiertexts::kNotSent).arg(brief);
    if (m_prompts)
        m_prompts->alert(message, QString());
    emit emailFinished(false, message);
}

void Notifier::failEmailLater(const QString &brief)
{
    // The alert waits for the event loop: it must not hold up the run's completion handling
    // (its console lines, the window's state) while the user has not answered it.
    workStarted();
    QTimer::singleShot(0, this, [this, brief] {
        failEmail(brief);
        workEnded();
    });
}

void Notifier::sendEmailNotificationTo(const QString &address, const QString &subject,
                                       const QString &body)
{
    const QString to = cleanAddress(address);
    if (!isPlainAddress(to)) {
        failEmailLater(text(notifiertexts::kBadAddress).arg(headerFieldText(address)));
        return;
    }
    const QProcessEnvironment environment = Unix::environmentDictionary();
    const QString sendmail = findSendmail(environment);
    if (sendmail.isEmpty()) {
        failEmailLater(text(notifiertexts::kNoSendmail));
        return;
    }

    auto *job = new EmailJob;
    job->setParent(this);
    InteractiveConsoleController &runner = job->runner;
    runner.pathToExecutable = QFileInfo(sendmail).absolutePath() + QLatin1Char('/');
    runner.nameOfExecutable = QFileInfo(sendmail).fileName();
    runner.environmentDictionary = environment;
    runner.consoleTail = 0;
    runner.endWholeProcessGroup = true; // the time limit ends whatever sendmail started
    job->limit.setSingleShot(true);
    connect(&job->limit, &QTimer::timeout, job, [job] {
        job->timedOut = true;
        job->runner.killExecute();
    });
    workStarted();
    connect(&runner, &InteractiveConsoleController::consoleTaskCompleted, this, [this, job] {
        job->limit.stop();
        const InteractiveConsoleController &r = job->runner;
        if (job->timedOut) {
            failEmail(text(notifiertexts::kSendmailTimeout).arg(m_emailTimeoutMs / 1000.0));
        } else if (r.lastProcessId() == 0) {
            const QString why = job->console.written.trimmed();
            failEmail(text(notifiertexts::kSendmailStart).arg(why));
        } else if (const auto signal = r.lastTerminatingSignal()) {
            failEmail(text(notifiertexts::kSendmailSignal)
                          .arg(QString::number(*signal), signalName(*signal)));
        } else if (r.lastExitCode() != 0) {
            QString brief = text(notifiertexts::kSendmailExit).arg(r.lastExitCode());
            const QString said = firstErrorLine(r.errorString());
            if (!said.isEmpty())
                brief += QLatin1Char(' ') + said;
            failEmail(brief);
        } else {
            emit emailFinished(true, QString());
        }
        job->deleteLater();
        workEnded();
    }, Qt::QueuedConnection); // a failed start reports before executeWithData returns
    const QByteArray message = composeEmailMessage(to, subject, body, localSenderAddress());
    if (runner.executeWithData(message, QStringList{"-t", "-i"}, true, QStringLiteral("Email"))) {
        runner.closeInput(); // sendmail reads the message up to the end of its input
        job->limit.start(m_emailTimeoutMs);
    }
}

void Notifier::workEnded()
{
    if (--m_pending == 0)
        emit idle();
}

void Notifier::waitForPendingWork()
{
    if (m_pending == 0)
        return;
    QEventLoop loop;
    connect(this, &Notifier::idle, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace corvane
