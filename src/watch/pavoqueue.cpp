#include "pavoqueue.h"

#include <QDebug>
#include <QSocketNotifier>

#include <cerrno>
#include <climits>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane
{

namespace
{

constexpr char kAddFailed[] =
    "PavoQueue tried to add the path %1 to watchedPathEntries, but the PavoQueuePathEntry was "
    "nil. \nIt's possible that the host process has hit its max open file descriptors limit.";

uint32_t inotifyMaskFor(quint32 bits)
{
    uint32_t mask = 0;
    if (bits & PavoDelete)
        mask |= IN_DELETE_SELF;
    if (bits & (PavoWrite | PavoExtend))
        mask |= IN_MODIFY | IN_CLOSE_WRITE;
    if (bits & (PavoAttrib | PavoLink | PavoDelete))
        mask |= IN_ATTRIB; // unlinking a file shows first as a link-count change
    if (bits & PavoRename)
        mask |= IN_MOVE_SELF;
    if (bits & PavoRevoke)
        mask |= IN_UNMOUNT;
    return mask;
}

struct FileStat {
    qint64 size = -1;
    qint64 links = -1;
};

FileStat statPath(const QString &path)
{
    struct stat st;
    if (::stat(path.toLocal8Bit().constData(), &st) != 0)
        return {};
    return {qint64(st.st_size), qint64(st.st_nlink)};
}

} // namespace

QStringList pavoNotificationNames(quint32 bits)
{
    static const struct {
        quint32 bit;
        const char *name;
    } kOrder[] = {{PavoRename, kPavoRenamed},       {PavoWrite, kPavoWritten},
                  {PavoDelete, kPavoDeleted},       {PavoAttrib, kPavoAttributes},
                  {PavoExtend, kPavoSizeIncreased}, {PavoLink, kPavoLinkCount},
                  {PavoRevoke, kPavoRevoked}};
    QStringList names;
    for (const auto &o : kOrder)
        if (bits & o.bit)
            names << QString::fromLatin1(o.name);
    return names;
}

std::unique_ptr<PavoQueue> PavoQueue::create(QObject *parent)
{
    const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0)
        return nullptr;
    return std::unique_ptr<PavoQueue>(new PavoQueue(fd, parent));
}

PavoQueue::PavoQueue(int fd, QObject *parent) : QObject(parent), m_queueFD(fd)
{
    m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PavoQueue::readEvents);
}

PavoQueue::~PavoQueue()
{
    removeAllPaths();
    delete m_notifier;
    if (::close(m_queueFD) != 0)
        qWarning().noquote()
            << QString("PavoQueue watcherThread: Couldn't close main kqueue (%1)").arg(errno);
}

bool PavoQueue::addPath(const QString &path, quint32 bits)
{
    if (m_entries.contains(path))
        return true;
    const int wd =
        inotify_add_watch(m_queueFD, path.toLocal8Bit().constData(), inotifyMaskFor(bits));
    if (wd < 0) {
        qWarning().noquote() << QString::fromLatin1(kAddFailed).arg(path);
        return false;
    }
    const FileStat st = statPath(path);
    // Two paths naming one file share a watch descriptor; the later path takes it over.
    m_pathForWatch.insert(wd, path);
    m_entries.insert(path, PavoQueuePathEntry{path, wd, bits, st.size, st.links});
    return true;
}

void PavoQueue::removePath(const QString &path)
{
    auto it = m_entries.find(path);
    if (it == m_entries.end())
        return;
    const int wd = it->watchedFD;
    m_entries.erase(it);
    if (m_pathForWatch.value(wd) == path) {
        m_pathForWatch.remove(wd);
        inotify_rm_watch(m_queueFD, wd);
    }
}

void PavoQueue::removeAllPaths()
{
    const QStringList paths = m_entries.keys();
    for (const QString &p : paths)
        removePath(p);
}

QStringList PavoQueue::watchedPaths() const
{
    return m_entries.keys();
}

void PavoQueue::readEvents()
{
    // Events read together are merged per path, as one kernel event carries several bits.
    QList<QString> order;
    QHash<QString, quint32> bitsForPath;
    alignas(struct inotify_event) char buffer[64 * (sizeof(struct inotify_event) + NAME_MAX + 1)];
    for (;;) {
        const ssize_t n = ::read(m_queueFD, buffer, sizeof buffer);
        if (n <= 0)
            break;
        for (char *p = buffer; p < buffer + n;) {
            const auto *ev = reinterpret_cast<const struct inotify_event *>(p);
            p += sizeof(struct inotify_event) + ev->len;
            const QString path = m_pathForWatch.value(ev->wd);
            auto entry = m_entries.find(path);
            if (path.isEmpty() || entry == m_entries.end())
                continue;
            if (ev->mask & IN_IGNORED) {
                // The kernel dropped the watch (file gone): forget it so the path can be
                // watched again once it exists.
                m_pathForWatch.remove(ev->wd);
                m_entries.erase(entry);
                continue;
            }
            quint32 bits = 0;
            if (ev->mask & IN_MOVE_SELF)
                bits |= PavoRename;
            if (ev->mask & IN_DELETE_SELF)
                bits |= PavoDelete;
            if (ev->mask & IN_UNMOUNT)
                bits |= PavoRevoke;
            if (ev->mask & (IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB)) {
                const FileStat st = statPath(path);
                if (ev->mask & (IN_MODIFY | IN_CLOSE_WRITE)) {
                    bits |= PavoWrite;
                    if (st.size > entry->lastSize && entry->lastSize >= 0)
                        bits |= PavoExtend;
                }
                if (ev->mask & IN_ATTRIB) {
                    if (st.links != entry->lastLinks)
                        bits |= PavoLink;
                    else
                        bits |= PavoAttrib;
                }
                entry->lastSize = st.size;
                entry->lastLinks = st.links;
            }
            bits &= entry->subscriptionFlags;
            if (!bits)
                continue;
            if (!bitsForPath.contains(path))
                order << path;
            bitsForPath[path] |= bits;
        }
    }
    for (const QString &path : order)
        deliver(path, bitsForPath.value(path));
}

void PavoQueue::deliver(const QString &path, quint32 bits)
{
    for (const QString &name : pavoNotificationNames(bits)) {
        if (m_delegate)
            m_delegate->receivedNotification(this, name, path);
        if (!m_delegate || alwaysPostNotifications)
            emit notificationPosted(name, path);
    }
}

} // namespace corvane
