// Compiled module lookup: whether a module the project uses but does not define exists as a
// compiled ".mod" file in the project folder, the build folder or an include-flag directory.
// Directories may name variables as "$(NAME)", filled from the "environmentVariables" setting.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace corvane
{

class MyDocument;

// The directories searched, in order: project folder, build folder, include-flag tokens.
QStringList projectFilePaths(const QString &docDirectoryPath, const QString &buildDirectoryPath,
                             const QString &includeFlags);

// The directory with its first "$(NAME)" replaced from variables and surrounding quotation
// marks removed; a null string when the variable is unknown or has no closing ")".
QString expandedModuleDirectory(const QString &directory, const QVariantMap &variables);

// True when "DIR/name.mod" exists for one of the directories.
bool moduleFileExistsFor(const QString &lowerCaseName, const QStringList &directories,
                         const QVariantMap &variables);

// The same over the document's folders and flags and the "environmentVariables" setting.
bool moduleFileExistsFor(const MyDocument &document, const QString &lowerCaseName);

} // namespace corvane
