#include "projectlock.h"

#include "settings/safefile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace corvane
{

namespace
{

// QLockFile does not say why it could not write its file; the system says it for a file of
// the same kind beside it ("No space left on device", "Permission denied").
QString whyNotWritable(const QString &lockPath)
{
    const QByteArray probe = QFile::encodeName(lockPath + ".probe");
    const int fd = ::open(probe.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return SafeFile::errorText(errno);
    const char text[64] = {};
    const bool written = ::write(fd, text, sizeof text) == ssize_t(sizeof text) && ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    ::unlink(probe.constData());
    return written ? QString("unknown reason") : SafeFile::errorText(error);
}

} // namespace

ProjectLock::ProjectLock(const QString &projectPath)
    : m_path(QFileInfo(projectPath).absoluteFilePath() + ".lock"),
      m_projectPath(QFileInfo(projectPath).absoluteFilePath()), m_lock(m_path)
{
}

ProjectLock::~ProjectLock() = default;

Result<void> ProjectLock::lock(int timeoutMs)
{
    if (m_lock.tryLock(timeoutMs))
        return {};
    switch (m_lock.error()) {
    case QLockFile::LockFailedError: {
        qint64 pid = 0;
        QString host, program;
        m_lock.getLockInfo(&pid, &host, &program);
        return Error{QString("cannot lock %1: it is being changed by %2 (process %3)")
                         .arg(m_projectPath, program.isEmpty() ? QString("another program") : program,
                              QString::number(pid))};
    }
    default:
        return Error{QString("cannot lock %1: %2 cannot be written: %3")
                         .arg(m_projectPath, m_path, whyNotWritable(m_path))};
    }
}

void ProjectLock::unlock()
{
    m_lock.unlock();
}

} // namespace corvane
