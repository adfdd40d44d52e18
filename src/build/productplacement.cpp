#include "productplacement.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane::productplacement
{

namespace
{

QString systemError(const QString &what, const QString &path)
{
    return QStringLiteral("%1 \u201c%2\u201d: %3")
        .arg(what, path, QString::fromLocal8Bit(std::strerror(errno)));
}

// Sets path's modification time to that of version (nanoseconds kept).
bool copyModificationTime(const QString &path, const FileVersion &version)
{
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = version.modifiedNs / 1000000000;
    times[1].tv_nsec = version.modifiedNs % 1000000000;
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}

} // namespace

std::optional<FileVersion> versionOf(const QString &path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    FileVersion v;
    v.device = st.st_dev;
    v.inode = st.st_ino;
    v.size = st.st_size;
    v.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return v;
}

Placement placeProduct(const QString &built, const QString &placed, bool hardLink, QString *error)
{
    const std::optional<FileVersion> source = versionOf(built);
    if (!source) {
        if (error)
            *error = QStringLiteral("\u201c%1\u201d is not there.").arg(built);
        return Placement::Failed;
    }
    if (const std::optional<FileVersion> present = versionOf(placed)) {
        const bool sameFile = present->device == source->device && present->inode == source->inode;
        const bool sameCopy =
            present->size == source->size && present->modifiedNs == source->modifiedNs;
        if (sameFile || sameCopy)
            return Placement::Unchanged;
    }

    const QFileInfo target(placed);
    const QString temporary = target.path() + QStringLiteral("/.") + target.fileName() +
                              QStringLiteral(".corvane-new");
    QFile::remove(temporary);
    const QByteArray builtName = QFile::encodeName(built);
    const QByteArray temporaryName = QFile::encodeName(temporary);
    bool linked = hardLink && ::link(builtName.constData(), temporaryName.constData()) == 0;
    if (!linked) {
        if (!QFile::copy(built, temporary)) {
            if (error)
                *error = QStringLiteral("\u201c%1\u201d couldn\u2019t be copied to \u201c%2\u201d.")
                             .arg(target.fileName(), target.path());
            QFile::remove(temporary);
            return Placement::Failed;
        }
        // The same size and time mark the copy as this version at the next build.
        copyModificationTime(temporary, *source);
    }
    if (::rename(temporaryName.constData(), QFile::encodeName(placed).constData()) != 0) {
        if (error)
            *error = systemError(QStringLiteral("Couldn\u2019t replace"), placed);
        QFile::remove(temporary);
        return Placement::Failed;
    }
    return Placement::Replaced;
}

} // namespace corvane::productplacement
