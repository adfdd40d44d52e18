#include "filecollection.h"

#include "project/prompts.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <functional>

namespace corvane
{

namespace
{

using Accept = std::function<bool(const QString &lowerExtension)>;

std::optional<QStringList> collect(const QString &path, const Accept &accept, Prompts *prompts)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return std::nullopt;
    auto qualifies = [&](const QFileInfo &f) {
        const QString ext = f.suffix().toLower();
        return !ext.isEmpty() && accept(ext);
    };
    if (!info.isDir()) {
        if (qualifies(info))
            return QStringList{path};
        return std::nullopt;
    }
    if (!info.isReadable()) {
        if (prompts)
            prompts->presentError(
                QString("The folder \"%1\" couldn't be opened because you don't have "
                        "permission to view it.")
                    .arg(info.fileName()));
        return std::nullopt;
    }
    const QDir dir(path);
    QStringList found;
    QDirIterator it(path, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString full = it.next();
        const QString relative = dir.relativeFilePath(full);
        if (relative.startsWith('.') || relative.contains("DS_Store"))
            continue;
        const QFileInfo entry = it.fileInfo();
        if (entry.isDir())
            continue;
        if (qualifies(entry))
            found << QDir(path).filePath(relative);
    }
    return found;
}

} // namespace

std::optional<QStringList> filePathsWithExtensionStart(QChar start, const QString &path,
                                                       Prompts *prompts)
{
    const QChar lower = start.toLower();
    return collect(
        path, [lower](const QString &ext) { return ext.startsWith(lower); }, prompts);
}

std::optional<QStringList> filePathsWithExtensionInSet(const QSet<QString> &extensions,
                                                       const QString &path, Prompts *prompts)
{
    QSet<QString> lower;
    for (const QString &e : extensions)
        lower.insert(e.toLower());
    return collect(
        path, [&lower](const QString &ext) { return lower.contains(ext); }, prompts);
}

} // namespace corvane
