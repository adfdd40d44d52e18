// PavoQueue: watches single paths for deletion, writes, renames and other changes (inotify) and
// reports each event on the thread that owns the watcher, the GUI thread in the application.
// Each project window watches exactly the path of the file in its editor.
#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class QSocketNotifier;

namespace corvane
{

class PavoQueue;

// Event bits, as the project window knows them.
enum PavoEvent : quint32 {
    PavoDelete = 1,
    PavoWrite = 2,
    PavoExtend = 4,
    PavoAttrib = 8,
    PavoLink = 16,
    PavoRename = 32,
    PavoRevoke = 64,
    PavoAll = 127,
};

inline constexpr char kPavoRenamed[] = "PavoQueueFileRenamedNotification";
inline constexpr char kPavoWritten[] = "PavoQueueFileWrittenToNotification";
inline constexpr char kPavoDeleted[] = "PavoQueueFileDeletedNotification";
inline constexpr char kPavoAttributes[] = "PavoQueueFileAttributesChangedNotification";
inline constexpr char kPavoSizeIncreased[] = "PavoQueueFileSizeIncreasedNotification";
inline constexpr char kPavoLinkCount[] = "PavoQueueLinkCountChangedNotification";
inline constexpr char kPavoRevoked[] = "PavoQueueAccessWasRevokedNotification";

// Notification names for a set of event bits, in delivery order: rename, write, delete,
// attribute change, size increase, link count, access revoked.
QStringList pavoNotificationNames(quint32 bits);

class PavoQueueDelegate
{
public:
    virtual ~PavoQueueDelegate() = default;
    virtual void receivedNotification(PavoQueue *queue, const QString &name,
                                      const QString &path) = 0;
};

struct PavoQueuePathEntry {
    QString path;
    int watchedFD = -1; // the inotify watch descriptor
    quint32 subscriptionFlags = 0;
    qint64 lastSize = -1;  // to tell a size increase from other writes
    qint64 lastLinks = -1; // to tell a link-count change from other attribute changes
};

class PavoQueue : public QObject
{
    Q_OBJECT
public:
    // A watcher, or nullptr when the kernel queue cannot be created.
    static std::unique_ptr<PavoQueue> create(QObject *parent = nullptr);
    ~PavoQueue() override;

    // Watch for all events, or the given ones. A path already watched is left unchanged.
    // Returns false (and logs) when the path cannot be watched.
    bool addPath(const QString &path, quint32 bits = PavoAll);
    void removePath(const QString &path);
    void removeAllPaths();
    QStringList watchedPaths() const;

    void setDelegate(PavoQueueDelegate *delegate) { m_delegate = delegate; }
    bool alwaysPostNotifications = false;

signals:
    // The posted notification (when there is no delegate, or alwaysPostNotifications is set).
    void notificationPosted(const QString &name, const QString &path);

private:
    explicit PavoQueue(int fd, QObject *parent);
    void readEvents();
    void deliver(const QString &path, quint32 bits);

    int m_queueFD = -1;
    QSocketNotifier *m_notifier = nullptr;
    QHash<QString, PavoQueuePathEntry> m_entries;
    QHash<int, QString> m_pathForWatch;
    PavoQueueDelegate *m_delegate = nullptr;
};

} // namespace corvane
