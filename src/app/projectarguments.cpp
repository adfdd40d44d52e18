#include "projectarguments.h"

#include "project/filecollection.h"

#include <QFileInfo>

namespace corvane::app
{

std::optional<QStringList> sourcePathsFromArguments(const QStringList &args,
                                                    const QSet<QString> &extensions, QString &error)
{
    QStringList paths;
    for (const QString &arg : args) {
        const QFileInfo info(arg);
        if (!info.exists()) {
            error = QString("no such file or folder: %1").arg(arg);
            return std::nullopt;
        }
        const QString absolute = info.absoluteFilePath();
        if (info.isDir()) {
            paths += filePathsWithExtensionInSet(extensions, absolute).value_or(QStringList());
            continue;
        }
        paths << absolute;
    }
    return paths;
}

} // namespace corvane::app
