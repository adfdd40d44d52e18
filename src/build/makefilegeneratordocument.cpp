// The document side of MakefileGenerator and of the compiled module lookup: reads the active
// configuration's settings from the project document.
#include "build/makefilegenerator.h"
#include "build/modulefilelookup.h"
#include "project/mydocument.h"
#include "settings/defaults.h"
#include "settings/settingskeys.h"

namespace corvane
{

MakefileSettings MakefileGenerator::settingsOfDocument(const MyDocument &document)
{
    MakefileSettings settings;
    settings.compilerFlags = document.compilerFlags();
    settings.linkerFlags = document.linkerFlags();
    settings.includeFlags = document.includeFlags();
    settings.includeExtensions = document.includeExtensions();
    settings.compileForLibrary = document.compileForLibrary().value_or(false);
    settings.executableName = document.executableName();
    settings.libraryName = document.libraryName();
    settings.docDirectoryPath = document.docDirectoryPath();
    settings.buildDirectoryPath = document.buildDirectoryPath();
    settings.compilerPath = document.projectCompilerPath();
    settings.moduleAwareRebuilds = document.moduleAwareRebuilds();
    if (settings.compilerPath.isEmpty())
        settings.compilerPath =
            Defaults::instance().stringValue(QString::fromLatin1(keys::compilerPath));
    return settings;
}

MakefileGenerator MakefileGenerator::initWithDocument(const MyDocument &document)
{
    return MakefileGenerator(settingsOfDocument(document));
}

bool moduleFileExistsFor(const MyDocument &document, const QString &lowerCaseName)
{
    const QStringList directories = projectFilePaths(
        document.docDirectoryPath(), document.buildDirectoryPath(), document.includeFlags());
    return moduleFileExistsFor(
        lowerCaseName, directories,
        Defaults::instance().mapValue(QStringLiteral("environmentVariables")));
}

} // namespace corvane
