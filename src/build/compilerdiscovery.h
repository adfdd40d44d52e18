// CompilerDiscovery: finds the Fortran compilers on the search path at launch, checks the gfortran
// version, and keeps the compiler lists of the settings ("foundCompilersArrayKey",
// "addedCompilersArrayKey", "installedCompilers", "compilerPath").
#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <optional>

namespace corvane
{

class Defaults;
class Prompts;

namespace compilerkeys
{
inline constexpr char kFound[] = "foundCompilersArrayKey";
inline constexpr char kAdded[] = "addedCompilersArrayKey";
inline constexpr char kInstalled[] = "installedCompilers";
inline constexpr char kCompilerPath[] = "compilerPath";
inline constexpr char kHasRunBefore[] = "hasRunBefore";
} // namespace compilerkeys

struct DiscoveredCompilers {
    // `which` outputs in the order of the names looked up, blanks escaped as "\ ", each ending
    // with its line feed; then bare "gfortran-mp*" names from the ports folder.
    QStringList found;
    std::optional<QString> gfortranEntry;
    std::optional<double> gfortranVersion; // major.minor read as a decimal number
    bool gFortranIsOldVersion = false;
};

// What launch set-up decided; the window side shows the panels.
struct SetupOutcome {
    QStringList installed;
    bool gFortranIsOldVersion = false;
    bool showFirstRunChoice = false; // first launch with compilers: let the user pick one
    bool showNoCompilerPanel = false;
};

class CompilerDiscovery
{
public:
    // The classic names first, then the compilers in use today that the classic list lacks.
    static QStringList supportedCompilerNames();

    // Looks every name up with `which` in env. portsDirectory is searched for "gfortran-mp"
    // entries when it is a directory. When gfortran is found its `-v` text is checked; a version
    // of at most 4.59 is old, and then (unless "hasRunBefore" is set) the user is told.
    static DiscoveredCompilers findCompilers(const QProcessEnvironment &env, Defaults &defaults,
                                             Prompts &prompts,
                                             const QStringList &names = supportedCompilerNames(),
                                             const QString &portsDirectory = "/opt/local/bin");

    // Reads the number from the "gcc version " line of `-v` output: "gcc version 4.2.1 (Apple)"
    // -> 4.2, "gcc version 12.2.0" -> 12.2. None when there is no such line.
    static std::optional<double> parseGccVersion(const QString &verboseText);
    static bool isOldVersion(std::optional<double> version) { return version && *version <= 4.59; }

    // Runs `PROGRAM -v` (program from the stored entry) with LC_ALL=C as a probe (10 s at most)
    // and parses its version; none when it could not run or printed no version.
    static std::optional<double> gfortranVersion(const QString &storedEntry,
                                                 const QProcessEnvironment &env);

    // Stores the found list and the installed list (added entries first); decides the panels and
    // sets "hasRunBefore" the first time compilers are found.
    static SetupOutcome doSetup(const QStringList &found, Defaults &defaults);

    // Launch: discovery in the child environment, then doSetup; the application keeps the
    // outcome's gFortranIsOldVersion for its runs.
    static SetupOutcome discoverAtLaunch(Defaults &defaults, Prompts &prompts);

    // A compiler the user added by hand goes in front of the added list; duplicates stay.
    static void addCompilerManually(const QString &path, Defaults &defaults);
    // Removes the current "compilerPath" when the user added it; false (and a beep) when it came
    // from discovery. No added list: nothing happens (true).
    static bool removeSelectedCompilerManually(Defaults &defaults, Prompts &prompts);
};

} // namespace corvane
