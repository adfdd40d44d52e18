#include "modulefilelookup.h"

#include "build/parser.h"

#include <QDir>
#include <QFileInfo>

namespace corvane
{

QStringList projectFilePaths(const QString &docDirectoryPath, const QString &buildDirectoryPath,
                             const QString &includeFlags)
{
    QStringList directories{docDirectoryPath, buildDirectoryPath};
    if (!includeFlags.isEmpty())
        directories << Parser::parseforIncludePaths(includeFlags);
    return directories;
}

QString expandedModuleDirectory(const QString &directory, const QVariantMap &variables)
{
    QString result = Parser::unquotedPath(directory);
    const qsizetype open = result.indexOf(QLatin1String("$("));
    if (open < 0)
        return result;
    const qsizetype close = result.indexOf(QLatin1Char(')'), open + 2);
    if (close < 0)
        return QString();
    const QString name = result.mid(open + 2, close - open - 2);
    const auto value = variables.constFind(name);
    if (value == variables.constEnd())
        return QString();
    result.replace(open, close - open + 1, value->toString());
    return result;
}

bool moduleFileExistsFor(const QString &lowerCaseName, const QStringList &directories,
                         const QVariantMap &variables)
{
    for (const QString &directory : directories) {
        const QString expanded = expandedModuleDirectory(directory, variables);
        // An unknown variable, or an unsaved project's missing folder, gives no candidate.
        if (expanded.isEmpty())
            continue;
        const QString candidate =
            QStringLiteral("%1/%2.mod").arg(QDir::cleanPath(expanded), lowerCaseName);
        if (QFileInfo(candidate).isFile())
            return true;
    }
    return false;
}

} // namespace corvane
