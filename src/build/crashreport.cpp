#include "crashreport.h"

#include "project/prompts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace corvane
{

std::optional<QString> CrashReport::findReport(const QString &directory,
                                               const QString &executableName,
                                               const QDateTime &start, Prompts &prompts)
{
    const QDateTime since = start.addSecs(-1);
    const QFileInfo dirInfo(directory);
    if (!dirInfo.isDir() || dirInfo.lastModified() <= since)
        return std::nullopt;
    QDir dir(directory);
    if (!dir.isReadable()) {
        prompts.presentError(
            QStringLiteral("The folder \"%1\" couldn't be listed.").arg(directory));
        return std::nullopt;
    }
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString &name : names) {
        if (name.startsWith(QLatin1Char('.')) || !name.contains(executableName))
            continue;
        const QFileInfo fi(dir.filePath(name));
        if (fi.lastModified() <= since)
            continue;
        QFile f(fi.filePath());
        if (!f.open(QIODevice::ReadOnly)) {
            prompts.presentError(QStringLiteral("The file \"%1\" couldn't be opened: %2")
                                     .arg(name, f.errorString()));
            return std::nullopt;
        }
        return QString::fromUtf8(f.readAll());
    }
    return std::nullopt;
}

QString CrashReport::coredumpctl()
{
    return QStandardPaths::findExecutable(QStringLiteral("coredumpctl"));
}

QStringList CrashReport::coredumpctlArguments(qint64 pid)
{
    return {QStringLiteral("--no-pager"), QStringLiteral("info"), QString::number(pid)};
}

} // namespace corvane
