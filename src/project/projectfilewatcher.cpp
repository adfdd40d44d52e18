#include "projectfilewatcher.h"

#include "mydocument.h"

#include <QFileInfo>

namespace corvane
{

ProjectFileWatcher::ProjectFileWatcher(MyDocument *document, QObject *parent)
    : QObject(parent), m_document(document)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &ProjectFileWatcher::check);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, [this] { m_settle.start(); });
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { m_settle.start(); });
    watchDocumentFile();
}

void ProjectFileWatcher::watchDocumentFile()
{
    const QString path = m_document->fileName();
    if (path != m_path) {
        if (!m_watcher.files().isEmpty())
            m_watcher.removePaths(m_watcher.files());
        if (!m_watcher.directories().isEmpty())
            m_watcher.removePaths(m_watcher.directories());
        m_path = path;
        m_toldState.clear();
        if (m_path.isEmpty())
            return;
        m_watcher.addPath(QFileInfo(m_path).absolutePath());
    }
    // A file replaced by a rename, or deleted and made again, is watched anew.
    if (!m_path.isEmpty() && !m_watcher.files().contains(m_path) && QFileInfo::exists(m_path))
        m_watcher.addPath(m_path);
}

QStringList ProjectFileWatcher::watchedPaths() const
{
    return m_watcher.files() + m_watcher.directories();
}

void ProjectFileWatcher::check()
{
    watchDocumentFile();
    if (!m_document->projectFileChangedOnDisk())
        return;
    const QByteArray state = m_document->diskState();
    if (state == m_toldState)
        return;
    m_toldState = state;
    emit changedOnDisk();
}

} // namespace corvane
