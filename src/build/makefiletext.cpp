// The Makefile text of MakefileGenerator: object list, target rule and one rule per source.
#include "build/makefilegenerator.h"
#include "build/makequoting.h"
#include "build/parser.h"

#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>

#include <algorithm>

namespace corvane
{

namespace
{

const QLatin1String kObjectsBanner("\n##########################\n# Object Files for build "
                                   "#\n##########################\n\nOBJS = \\\n");
const QLatin1String kRulesBanner("\n#######################################\n# Object dependencies "
                                 "and compilation #\n#######################################\n");
const QLatin1String kCompileRecipe("\n\t$(F90) -c $(FFLAGS) $(INCLUDES) -o $@ ");

const QLatin1String kModuleRulesNote(
    "# Readers of a module depend on its module file, remade by the compile of the object that\n"
    "# defines it; its empty recipe makes make read the file's time again afterwards, so a\n"
    "# compile that leaves the module's interface as it was rebuilds none of its readers.\n");

QString refusal(const QString &path, const QString &reason)
{
    return QStringLiteral("Cannot write \"%1\" into the Makefile: %2.").arg(path, reason);
}

// The file a reader of the module (lower-cased name) depends on; null for a name no compiler
// would write a module file for, whose readers then depend on the defining object.
QString moduleTarget(const QString &module, ModuleFileScheme scheme)
{
    // A Fortran name: a letter, then letters, digits and underscores (a loop: this runs for
    // every use of every module, where a regular expression match was a noticeable cost).
    auto isLetter = [](QChar c) { return c >= QLatin1Char('a') && c <= QLatin1Char('z'); };
    auto isNameCharacter = [&](QChar c) {
        return isLetter(c) || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
               c == QLatin1Char('_');
    };
    if (module.isEmpty() || !isLetter(module.front()) ||
        !std::all_of(module.begin(), module.end(), isNameCharacter))
        return QString();
    return module + QLatin1String(scheme == ModuleFileScheme::Stamp ? ".mod.stamp" : ".mod");
}

// The phony target an object depends on while a module file it writes is missing.
constexpr QLatin1StringView kModuleFileMissing("corvane-module-file-missing");

// The recipe line that replaces each stamp only when its module file's content changed (and
// always when the module file is not where it was expected, so that readers are not missed).
QString stampRecipe(const QStringList &modules)
{
    QStringList commands;
    for (const QString &module : modules) {
        const QString mod = module + QLatin1String(".mod");
        const QString stamp = mod + QLatin1String(".stamp");
        commands << QStringLiteral("if [ -f %1 ]; then cmp -s %1 %2 || cp %1 %2; else touch %2; fi")
                        .arg(mod, stamp);
    }
    return QLatin1String("\n\t@") + commands.join(QLatin1String("; "));
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
    const bool moduleAware = m_settings.moduleAwareRebuilds;
    const ModuleFileScheme scheme = moduleFileSchemeFor(compiler);
    // Module-aware: the modules each source defines that another source reads.
    QHash<QString, QStringList> readModulesOf;
    if (moduleAware) {
        QSet<QString> seen;
        for (const QString &path : sources) {
            const FileDependencies *needs = dependencies.find(path.toLower());
            if (!needs)
                continue;
            for (const QString &module : needs->modules) {
                const QString lower = module.toLower();
                const QString *definingFile = moduleFiles.find(lower);
                if (definingFile && *definingFile != path && !seen.contains(lower) &&
                    !moduleTarget(lower, scheme).isNull()) {
                    seen.insert(lower);
                    readModulesOf[*definingFile] << lower;
                }
            }
        }
        text += kModuleRulesNote;
    }
    for (const QString &path : sources) {
        const QString object = objectFileNameForPath(path);
        text += object + QLatin1String(" : ") + makequoting::prerequisite(path);
        const FileDependencies *needs = dependencies.find(path.toLower());
        if (needs) {
            for (const QString &module : needs->modules) {
                const QString *definingFile = moduleFiles.find(module.toLower());
                if (!definingFile || *definingFile == path)
                    continue;
                const QString target =
                    moduleAware ? moduleTarget(module.toLower(), scheme) : QString();
                text += QLatin1String(" \\\n") +
                        (target.isNull() ? objectFileNameForPath(*definingFile) : target);
            }
            // Include files are prerequisites too, so that editing one rebuilds its readers.
            for (const QString &include : needs->includeFiles) {
                if (!makequoting::inexpressibleReason(include).isNull())
                    return Error{refusal(include, makequoting::inexpressibleReason(include))};
                text += QLatin1String(" \\\n") + makequoting::prerequisite(include);
            }
        }
        const QStringList defined = readModulesOf.value(path);
        if (!defined.isEmpty()) {
            // A module file deleted since its object was made (by hand, or a partial clean)
            // would leave every reader failing to compile until a Clean: its missing file
            // makes the object out of date, through a phony prerequisite.
            QStringList files;
            for (const QString &module : defined)
                files << module + QLatin1String(".mod");
            const QString list = files.join(QLatin1Char(' '));
            text += QLatin1String(" \\\n$(if $(filter-out $(wildcard ") + list +
                    QLatin1String("),") + list + QLatin1String("),") + kModuleFileMissing +
                    QLatin1Char(')');
        }
        text += kCompileRecipe + makequoting::shellWord(path);
        if (scheme == ModuleFileScheme::Stamp && !defined.isEmpty())
            text += stampRecipe(defined);
        text += QLatin1String("\n\n");
        for (const QString &module : defined)
            // "+" marks the empty recipe as one that even make -n runs, so that a dry run reads
            // the module file's time again too and foresees the same compiles.
            text += moduleTarget(module, scheme) + QLatin1String(" : ") + object +
                    QLatin1String(" ; +\n");
        if (!defined.isEmpty())
            text += QLatin1Char('\n');
    }
    if (!readModulesOf.isEmpty())
        text += QLatin1String(".PHONY : ") + kModuleFileMissing + QLatin1Char('\n') +
                kModuleFileMissing + QLatin1String(" :\n");
    return text;
}

ModuleFileScheme MakefileGenerator::moduleFileSchemeFor(const QString &compiler)
{
    // "gfortran", "gfortran-12", "x86_64-linux-gnu-gfortran-12"; not "pgfortran". A link such
    // as /usr/bin/f95 is followed to the compiler it names.
    static const QRegularExpression gfortran(QStringLiteral("(^|-)gfortran(-[0-9.]+)?$"));
    const QString given = compiler.trimmed();
    auto isGfortran = [](const QString &path) {
        return gfortran.match(QFileInfo(path).fileName().toLower()).hasMatch();
    };
    if (isGfortran(given))
        return ModuleFileScheme::ModuleFile;
    const QString found =
        given.contains(QLatin1Char('/')) ? given : QStandardPaths::findExecutable(given);
    const QString resolved = found.isEmpty() ? QString() : QFileInfo(found).canonicalFilePath();
    return !resolved.isEmpty() && isGfortran(resolved) ? ModuleFileScheme::ModuleFile
                                                       : ModuleFileScheme::Stamp;
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
