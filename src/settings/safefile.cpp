#include "safefile.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane
{

namespace
{

Error systemError(int errorNumber)
{
    return Error{SafeFile::errorText(errorNumber)};
}

// Writes all of bytes at offset 0, retrying short writes; 0 or the errno of the failure.
int writeAll(int fd, const QByteArray &bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.constData() + done, size_t(bytes.size() - done), done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return ENOSPC;
        done += n;
    }
    return 0;
}

// fsync on a device or a file system without it is not a failure of the write.
bool syncFailed(int fd)
{
    if (::fsync(fd) == 0)
        return false;
    return errno != EINVAL && errno != EROFS && errno != ENOTSUP;
}

} // namespace

QString SafeFile::errorText(int errorNumber)
{
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

Result<void> SafeFile::replace(const QString &path, const QByteArray &bytes)
{
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return Error{out.errorString()};
    // Written through the descriptor: QSaveFile buffers small writes and loses the failure of
    // the flush inside commit(), and a short write leaves it without the system's reason. Every
    // step is checked here before the rename; on failure the temporary file goes with out.
    if (const int failure = writeAll(out.handle(), bytes))
        return systemError(failure);
    if (syncFailed(out.handle()))
        return systemError(errno);
    if (!out.commit())
        return Error{out.errorString()};
    return {};
}

Result<void> SafeFile::overwrite(const QString &path, const QByteArray &bytes)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat before {};
    const bool existed = ::stat(native.constData(), &before) == 0;
    if (existed && S_ISFIFO(before.st_mode))
        return Error{QStringLiteral("not a regular file")};
    // Read access too where there is one: the C library's stand-in for file systems without
    // fallocate reads the blocks it reserves.
    int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0 && errno == EACCES)
        fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0)
        return systemError(errno);
    int failure = 0;
    struct stat st {};
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (regular && bytes.size() > st.st_size) {
        // Reserve the space first: when it is not there, the old text is still whole.
        const int r = ::posix_fallocate(fd, 0, bytes.size());
        if (r != 0 && r != EOPNOTSUPP && r != EINVAL && r != ENOSYS && r != EBADF)
            failure = r;
    }
    if (!failure)
        failure = writeAll(fd, bytes);
    if (!failure && regular && ::ftruncate(fd, bytes.size()) != 0)
        failure = errno;
    if (!failure && syncFailed(fd))
        failure = errno;
    if (::close(fd) != 0 && !failure && errno != EINTR)
        failure = errno;
    if (!failure)
        return {};
    if (!existed)
        ::unlink(native.constData());
    return systemError(failure);
}

bool SafeFile::holds(const QString &path, const QByteArray &bytes)
{
    // One byte over the size is read, so a longer file is not mistaken for its start.
    const Result<QByteArray> existing = readRegular(path, bytes.size() + 1);
    return existing.ok() && *existing == bytes;
}

Result<QByteArray> SafeFile::readRegular(const QString &path, qint64 maxBytes)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    // Looked at before opening: opening a FIFO for reading waits for a writer, and a device
    // such as /dev/zero never ends.
    if (::stat(native.constData(), &st) != 0)
        return systemError(errno);
    if (!S_ISREG(st.st_mode))
        return Error{S_ISDIR(st.st_mode) ? QStringLiteral("it is a folder")
                                          : QStringLiteral("not a regular file")};
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return systemError(errno);
    // The path may have been replaced between the two looks.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Error{QStringLiteral("not a regular file")};
    }
    constexpr qint64 kMiB = 1024 * 1024;
    const QString tooLarge = maxBytes % kMiB == 0
                                 ? QStringLiteral("larger than %1 MB").arg(maxBytes / kMiB)
                                 : QStringLiteral("larger than %1 bytes").arg(maxBytes);
    if (st.st_size > maxBytes) {
        ::close(fd);
        return Error{tooLarge};
    }
    QByteArray bytes;
    bytes.resize(qsizetype(qMin(qint64(st.st_size) + 1, maxBytes + 1))); // room to see the end
    qint64 done = 0;
    for (;;) {
        if (done == bytes.size()) {
            // A file that grows while it is read is read on, one byte past the limit at most.
            if (done > maxBytes)
                break;
            bytes.resize(qsizetype(qMin(maxBytes + 1, done + 64 * 1024)));
        }
        const ssize_t n = ::read(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int e = errno;
            ::close(fd);
            return systemError(e);
        }
        if (n == 0)
            break;
        done += n;
    }
    ::close(fd);
    if (done > maxBytes)
        return Error{tooLarge};
    bytes.resize(qsizetype(done));
    return bytes;
}

} // namespace corvane
