// The Makefile text of MakefileGenerator: object list, target rule and one rule per source.
#include "build/makefilegenerator.h"
#include "build/makequoting.h"
#include "build/parser.h"

#include <QFileInfo>
#include <QHash>

namespace corvane
{

namespace
{

const QLatin1String kObjectsBanner("\n##########################\n# Object Files for build "
                                   "#\n##########################\n\nOBJS = \\\n");
const QLatin1String kRulesBanner("\n#######################################\n# Object dependencies "
                                 "and compilation #\n#######################################\n");
const QLatin1String kCompileRecipe("\n\t$(F90) -c $(FFLAGS) $(INCLUDES) -o $@ ");

QString refusal(const QString &path, const QString &reason)
{
    return QStringLiteral("Cannot write \"%1\" into the Makefile: %2.").arg(path, reason);
}

} // namespace

QString MakefileGenerator::objectFileNameForPath(const QString &path)
{
    QString base = QFileInfo(path).fileName();
    const qsizetype dot = base.lastIndexOf(QLatin1Char('.'));
    if (dot > 0)
        base.truncate(dot);
    base.remove(QLatin1Char(' '));
    return makequoting::plainObjectName(base) + QLatin1String(".o");
}

Result<QString> MakefileGenerator::makefileForFiles(const QStringList &paths,
                                                    const DependenciesMap &dependencies,
                                                    const ModuleFilesMap &moduleFiles,
                                                    const QString &compiler) const
{
    QStringList sources;
    for (const QString &path : paths)
        if (!isIncludeFile(path))
            sources << path;
    for (const QString &path : sources) {
        const QString reason = makequoting::inexpressibleReason(path);
        if (!reason.isNull())
            return Error{refusal(path, reason)};
    }
    const QString product =
        m_settings.compileForLibrary ? m_settings.libraryName : m_settings.executableName;
    if (const QString reason = makequoting::inexpressibleReason(product); !reason.isNull())
        return Error{refusal(product, reason)};

    QString text = QLatin1String("F90 = ") + compiler;
    if (!m_settings.compilerFlags.isNull())
        text += QLatin1String("\nFFLAGS = ") + m_settings.compilerFlags;
    if (!m_settings.includeFlags.isNull()) {
        text += QLatin1String("\nINCLUDES =");
        for (const QString &token : Parser::parseforIncludePaths(m_settings.includeFlags))
            text += QLatin1String(" -I") + makequoting::includeToken(token);
    }
    text += kObjectsBanner;
    // An object named like an option ("-lead.o") would be read as one by the linker and by ar;
    // "./-lead.o" names the same file (make drops the "./" when it matches the rule below).
    for (const QString &path : sources) {
        const QString object = objectFileNameForPath(path);
        text += (object.startsWith(QLatin1Char('-')) ? QLatin1String("./") : QLatin1String()) +
                object + QLatin1String(" \\\n");
    }
    text += QLatin1Char('\n');

    // A product name the shell would act on is written out quoted instead of passed as $@.
    const QString productTarget = makequoting::target(product);
    const QString productWord = makequoting::shellWord(product);
    if (m_settings.compileForLibrary) {
        text += productTarget + QLatin1String(" : $(OBJS)\n\tar rc ") + productWord +
                QLatin1String(" $(OBJS)\n\tranlib ") + productWord + QLatin1Char('\n');
    } else {
        text += productTarget + QLatin1String(" : $(OBJS)\n\t ${F90} ");
        if (!m_settings.linkerFlags.isNull())
            text += m_settings.linkerFlags;
        text += QLatin1String(" -o ") +
                (makequoting::isPlainForShell(product) ? QStringLiteral("$@") : productWord) +
                QLatin1String(" $(OBJS)\n");
    }

    text += kRulesBanner;
    for (const QString &path : sources) {
        text +=
            objectFileNameForPath(path) + QLatin1String(" : ") + makequoting::prerequisite(path);
        const FileDependencies *needs = dependencies.find(path.toLower());
        if (needs) {
            for (const QString &module : needs->modules) {
                const QString *definingFile = moduleFiles.find(module.toLower());
                if (definingFile && *definingFile != path)
                    text += QLatin1String(" \\\n") + objectFileNameForPath(*definingFile);
            }
            // Include files are prerequisites too, so that editing one rebuilds its readers.
            for (const QString &include : needs->includeFiles) {
                if (!makequoting::inexpressibleReason(include).isNull())
                    return Error{refusal(include, makequoting::inexpressibleReason(include))};
                text += QLatin1String(" \\\n") + makequoting::prerequisite(include);
            }
        }
        text += kCompileRecipe + makequoting::shellWord(path) + QLatin1String("\n\n");
    }
    return text;
}

QStringList MakefileGenerator::objectNameCollisions(const QStringList &paths) const
{
    QStringList warnings;
    OrderedMap<QStringList> byObject;
    for (const QString &path : paths)
        if (!isIncludeFile(path))
            byObject[objectFileNameForPath(path)] << path;
    for (const auto &[object, sources] : byObject) {
        if (sources.size() < 2)
            continue;
        warnings << QStringLiteral("Corvane: Warning: %1 all compile to the object file %2, so "
                                   "only one of them is built.\n")
                        .arg(sources.join(QLatin1String(", ")), object);
    }
    return warnings;
}

} // namespace corvane
