#include "projectlocation.h"

#include <QDir>
#include <QFileInfo>

namespace corvane
{

namespace
{

// The part of path after directory, when path lies strictly inside it (both already cleaned).
std::optional<QString> below(const QString &directory, const QString &path)
{
    if (directory.isEmpty() || path.isEmpty())
        return std::nullopt;
    const QString prefix = directory.endsWith('/') ? directory : directory + '/';
    if (path.size() > prefix.size() && path.startsWith(prefix))
        return path.mid(prefix.size());
    return std::nullopt;
}

bool sameDirectory(const QString &a, const QString &b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

} // namespace

ProjectLocation::ProjectLocation(const QString &savedDirectory, const QString &currentDirectory)
    : m_saved(savedDirectory.isEmpty() ? QString() : QDir::cleanPath(savedDirectory)),
      m_current(currentDirectory.isEmpty() ? QString() : QDir::cleanPath(currentDirectory))
{
    m_moved = !m_saved.isEmpty() && !m_current.isEmpty() && m_saved != m_current &&
              !sameDirectory(m_saved, m_current);
}

std::optional<QString> ProjectLocation::relativeInside(const QString &directory,
                                                       const QString &path)
{
    if (directory.isEmpty() || path.isEmpty())
        return std::nullopt;
    if (auto r = below(QDir::cleanPath(directory), QDir::cleanPath(path)))
        return r;
    return below(QFileInfo(directory).canonicalFilePath(), QFileInfo(path).canonicalFilePath());
}

std::optional<QString> ProjectLocation::relocated(const QString &relativePath) const
{
    if (!m_moved || relativePath.isEmpty())
        return std::nullopt;
    // A hand-edited entry must not lead out of the project folder.
    const QString clean = QDir::cleanPath(relativePath);
    if (QDir::isAbsolutePath(clean) || clean == ".." || clean.startsWith("../"))
        return std::nullopt;
    const QString candidate = m_current + '/' + clean;
    if (!QFileInfo(candidate).isFile())
        return std::nullopt;
    return candidate;
}

std::optional<QString> ProjectLocation::relocatedPath(const QString &absolutePath) const
{
    if (!m_moved)
        return std::nullopt;
    if (auto relative = below(m_saved, QDir::cleanPath(absolutePath)))
        return relocated(*relative);
    return std::nullopt;
}

QStringList ProjectLocation::relativeEntries(const QString &directory, const QStringList &paths)
{
    QStringList entries;
    entries.reserve(paths.size());
    for (const QString &p : paths)
        entries << relativeInside(directory, p).value_or(QString(""));
    return entries;
}

QStringList ProjectLocation::relocatedList(const QStringList &stored,
                                           const QVariantList &relative) const
{
    if (!m_moved || relative.size() != stored.size())
        return stored;
    QStringList out;
    out.reserve(stored.size());
    for (qsizetype i = 0; i < stored.size(); ++i)
        out << relocated(relative[i].toString()).value_or(stored[i]);
    return out;
}

void ProjectLocation::relocate(ErrorsDictionary &errors) const
{
    if (!m_moved)
        return;
    ErrorsDictionary moved;
    for (const auto &[path, rows] : errors) {
        QList<FindResult> movedRows = rows;
        for (FindResult &row : movedRows)
            row.filePath = relocatedPath(row.filePath).value_or(row.filePath);
        moved.insert(relocatedPath(path).value_or(path), std::move(movedRows));
    }
    errors = std::move(moved);
}

QString ProjectLocation::relocatedIncludeFlags(const QString &flags) const
{
    if (!m_moved || flags.isEmpty() || m_saved == "/")
        return flags;
    QString out;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = flags.indexOf(m_saved, from);
        if (at < 0)
            break;
        const QChar before = at > 0 ? flags[at - 1] : QChar(' ');
        const bool quoted = before == '"';
        const qsizetype after = at + m_saved.size();
        // The directory runs to its closing quotation mark, or to the next blank.
        qsizetype end = flags.indexOf(quoted ? '"' : ' ', after);
        if (end < 0)
            end = flags.size();
        const QString tail = flags.mid(after, end - after);
        const bool whole = (quoted || before == ' ') && (tail.isEmpty() || tail.startsWith('/'));
        const QString candidate = m_current + tail;
        if (whole && QFileInfo(candidate).isDir()) {
            out += flags.mid(from, at - from);
            // A blank in the new folder would split an unquoted directory in two.
            out += !quoted && candidate.contains(' ') ? '"' + candidate + '"' : candidate;
            from = end;
        } else {
            out += flags.mid(from, after - from);
            from = after;
        }
    }
    return out + flags.mid(from);
}

} // namespace corvane
