#include "bookmark.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <sys/stat.h>

#include <cstdio>

namespace corvane
{

namespace
{

const char kMagic[] = "CVBK1\n";

bool identity(const QString &path, quint64 &device, quint64 &inode)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    device = quint64(st.st_dev);
    inode = quint64(st.st_ino);
    return true;
}

bool sameFile(const QString &path, const Bookmark::Contents &c)
{
    quint64 dev = 0, ino = 0;
    return identity(path, dev, ino) && dev == c.device && ino == c.inode;
}

// The first regular file with the bookmark's device and inode below dir, looking at no more than
// budget entries.
std::optional<QString> findByIdentity(const QString &dir, const Bookmark::Contents &c,
                                      bool recursive, int &budget)
{
    if (dir.isEmpty() || !QFileInfo(dir).isDir())
        return std::nullopt;
    QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                    recursive ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
    while (it.hasNext() && budget-- > 0) {
        const QString path = it.next();
        if (sameFile(path, c))
            return path;
    }
    return std::nullopt;
}

} // namespace

QString Bookmark::expandTilde(const QString &path)
{
    if (path == "~")
        return QDir::homePath();
    if (path.startsWith("~/"))
        return QDir::homePath() + path.mid(1);
    return path;
}

QByteArray Bookmark::create(const QString &path)
{
    const QString full = expandTilde(path);
    quint64 dev = 0, ino = 0;
    if (full.isEmpty() || !identity(full, dev, ino)) {
        std::fprintf(stderr, "error creating bookmark for %s\n", qPrintable(path));
        return QByteArray();
    }
    const QString absolute = QFileInfo(full).absoluteFilePath();
    return QByteArray(kMagic) + QByteArray::number(dev) + ' ' + QByteArray::number(ino) + '\n' +
           absolute.toUtf8();
}

std::optional<Bookmark::Contents> Bookmark::parse(const QByteArray &bookmark)
{
    if (!bookmark.startsWith(kMagic))
        return std::nullopt;
    const qsizetype start = qsizetype(sizeof(kMagic) - 1);
    const qsizetype eol = bookmark.indexOf('\n', start);
    if (eol < 0)
        return std::nullopt;
    const QList<QByteArray> numbers = bookmark.mid(start, eol - start).split(' ');
    if (numbers.size() != 2)
        return std::nullopt;
    bool ok1 = false, ok2 = false;
    Contents c;
    c.device = numbers[0].toULongLong(&ok1);
    c.inode = numbers[1].toULongLong(&ok2);
    c.path = QString::fromUtf8(bookmark.mid(eol + 1));
    if (!ok1 || !ok2 || c.path.isEmpty())
        return std::nullopt;
    return c;
}

std::optional<QString> Bookmark::resolve(const QByteArray &bookmark, const QString &searchRoot)
{
    const std::optional<Contents> c = parse(bookmark);
    if (!c)
        return std::nullopt;
    if (QFileInfo(c->path).isFile())
        return c->path;
    int budget = kSearchLimit;
    if (auto renamed = findByIdentity(QFileInfo(c->path).path(), *c, false, budget))
        return renamed;
    if (auto moved = findByIdentity(searchRoot, *c, true, budget))
        return moved;
    return findBelow(c->path, searchRoot);
}

// A project checked out again in another folder keeps its layout but not its inodes.
std::optional<QString> Bookmark::findBelow(const QString &oldPath, const QString &root)
{
    if (root.isEmpty())
        return std::nullopt;
    const QStringList parts = QDir::cleanPath(oldPath).split('/', Qt::SkipEmptyParts);
    const int longest = std::min<int>(int(parts.size()), 12);
    for (int n = longest; n >= 1; --n) {
        const QString tail = parts.mid(parts.size() - n).join('/');
        const QString candidate = QDir(root).filePath(tail);
        if (QFileInfo(candidate).isFile())
            return QDir::cleanPath(candidate);
    }
    return std::nullopt;
}

} // namespace corvane
