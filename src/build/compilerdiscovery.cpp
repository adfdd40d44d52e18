#include "compilerdiscovery.h"

#include "project/prompts.h"
#include "settings/defaults.h"
#include "programprobe.h"
#include "unix.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace corvane
{

namespace
{
constexpr int kVersionTimeoutMs = 10000;
const char kOldGfortranMessage[] = "Your version of gfortran is out of date";
const char kOldGfortranInfo[] = "For best performance install the latest version.";

// Stores a list, or removes the key when the list is empty.
void storeList(Defaults &defaults, const char *key, const QStringList &list)
{
    if (list.isEmpty())
        defaults.remove(QString::fromLatin1(key));
    else
        defaults.setValue(QString::fromLatin1(key), list);
}
} // namespace

QStringList CompilerDiscovery::supportedCompilerNames()
{
    return {"f77",    "ifort",     "f90",       "f95",       "gfortran", "mpif90",
            "mpif77", "mpifort",   "g95",       "pgfortran", "nagfor",   "caf",
            "ifx",    "nvfortran", "flang-new", "flang",     "lfortran"};
}

DiscoveredCompilers CompilerDiscovery::findCompilers(const QProcessEnvironment &env,
                                                     Defaults &defaults, Prompts &prompts,
                                                     const QStringList &names,
                                                     const QString &portsDirectory)
{
    DiscoveredCompilers result;
    for (const QString &name : names) {
        std::optional<QString> path = Unix::which(name, env);
        if (!path)
            continue;
        QString entry = *path;
        entry.replace(QStringLiteral(" "), QStringLiteral("\\ "));
        result.found << entry;
        if (name == QLatin1String("gfortran"))
            result.gfortranEntry = entry;
    }
    if (QFileInfo(portsDirectory).isDir()) {
        const QStringList entries =
            QDir(portsDirectory).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
        for (const QString &e : entries)
            if (e.contains(QLatin1String("gfortran-mp")))
                result.found << e;
    }
    if (result.gfortranEntry) {
        result.gfortranVersion = gfortranVersion(*result.gfortranEntry, env);
        result.gFortranIsOldVersion = isOldVersion(result.gfortranVersion);
        if (result.gFortranIsOldVersion &&
            !defaults.boolValue(QString::fromLatin1(compilerkeys::kHasRunBefore)))
            prompts.alert(QString::fromLatin1(kOldGfortranMessage),
                          QString::fromLatin1(kOldGfortranInfo));
    }
    return result;
}

std::optional<double> CompilerDiscovery::parseGccVersion(const QString &verboseText)
{
    static const QRegularExpression re(QStringLiteral("^gcc version (\\d+)(?:\\.(\\d+))?"),
                                       QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = re.match(verboseText);
    if (!m.hasMatch())
        return std::nullopt;
    QString number = m.captured(1);
    if (m.hasCaptured(2))
        number += QLatin1Char('.') + m.captured(2);
    bool ok = false;
    const double value = number.toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

std::optional<double> CompilerDiscovery::gfortranVersion(const QString &storedEntry,
                                                         const QProcessEnvironment &env)
{
    QProcessEnvironment childEnv = env;
    childEnv.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    // gcc prints its -v text on standard error; both are read in case a wrapper differs.
    const std::optional<QString> text =
        ProgramProbe::output(Unix::programForCompilerPath(storedEntry), {QStringLiteral("-v")},
                             {true, childEnv, kVersionTimeoutMs});
    return text ? parseGccVersion(*text) : std::nullopt;
}

SetupOutcome CompilerDiscovery::doSetup(const QStringList &found, Defaults &defaults)
{
    SetupOutcome outcome;
    storeList(defaults, compilerkeys::kFound, found);
    const QStringList added = defaults.stringListValue(QString::fromLatin1(compilerkeys::kAdded));
    outcome.installed = added + found;
    storeList(defaults, compilerkeys::kInstalled, outcome.installed);
    if (outcome.installed.isEmpty()) {
        outcome.showNoCompilerPanel = true;
        return outcome;
    }
    const QString hasRun = QString::fromLatin1(compilerkeys::kHasRunBefore);
    if (!defaults.boolValue(hasRun)) {
        defaults.setValue(hasRun, true);
        outcome.showFirstRunChoice = true;
    }
    return outcome;
}

SetupOutcome CompilerDiscovery::discoverAtLaunch(Defaults &defaults, Prompts &prompts)
{
    const DiscoveredCompilers found =
        findCompilers(Unix::environmentDictionary(), defaults, prompts);
    SetupOutcome outcome = doSetup(found.found, defaults);
    outcome.gFortranIsOldVersion = found.gFortranIsOldVersion;
    return outcome;
}

void CompilerDiscovery::addCompilerManually(const QString &path, Defaults &defaults)
{
    const QStringList added =
        QStringList{path} + defaults.stringListValue(QString::fromLatin1(compilerkeys::kAdded));
    storeList(defaults, compilerkeys::kAdded, added);
    storeList(defaults, compilerkeys::kInstalled,
              added + defaults.stringListValue(QString::fromLatin1(compilerkeys::kFound)));
}

bool CompilerDiscovery::removeSelectedCompilerManually(Defaults &defaults, Prompts &prompts)
{
    const QString addedKey = QString::fromLatin1(compilerkeys::kAdded);
    if (!defaults.contains(addedKey))
        return true;
    QStringList added = defaults.stringListValue(addedKey);
    const QString current = defaults.stringValue(QString::fromLatin1(compilerkeys::kCompilerPath));
    if (!added.contains(current)) {
        prompts.beep();
        return false;
    }
    added.removeOne(current);
    storeList(defaults, compilerkeys::kAdded, added);
    QStringList installed = defaults.stringListValue(QString::fromLatin1(compilerkeys::kInstalled));
    installed.removeOne(current);
    storeList(defaults, compilerkeys::kInstalled, installed);
    if (installed.isEmpty())
        defaults.remove(QString::fromLatin1(compilerkeys::kCompilerPath));
    else
        defaults.setValue(QString::fromLatin1(compilerkeys::kCompilerPath), installed.first());
    return true;
}

} // namespace corvane
