#include "settings/installpaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace corvane
{

QString sharePathFrom(const QString &executableDir, const QString &relative)
{
    return QDir::cleanPath(executableDir + QStringLiteral("/../share/") + relative);
}

QString installedSharePath(const QString &relative)
{
    const QFileInfo file(sharePathFrom(QCoreApplication::applicationDirPath(), relative));
    return file.exists() ? file.absoluteFilePath() : QString();
}

} // namespace corvane
