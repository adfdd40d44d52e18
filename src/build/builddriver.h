// BuildDriver: the Build, Clean and Abort commands of a project window and its debug/release
// switch. Scans the sources for module dependencies, writes the Makefile, runs `make` in the
// build folder through the window's runner, then puts the product beside the project (it stays
// in the build folder too, so that make finds it up to date next time), records
// the compiler that built the objects, parses the diagnostics and keeps the loader text. The run
// state (running, Run availability, timer, progress) is the RunDriver's, shared here; the window
// maps the signals of both to its toolbar and panes. Nothing here opens a window.
#pragma once

#include "build/console.h"
#include "build/productplacement.h"
#include "project/findresult.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

namespace corvane
{

class FileOperations;
class InteractiveConsoleController;
class MyDocument;
class Prompts;
class RunDriver;

namespace buildtexts
{
inline constexpr char kNotSaved[] = "A project must be saved before building.";
inline constexpr char kNotSavedInfo[] = "Please save this project to disk and build again.";
inline constexpr char kNoFilesConsole[] = "No Files to build\n";
inline constexpr char kNoFiles[] = "The project has no files to build.";
inline constexpr char kNoFilesInfo[] = "Please add files before building.";
inline constexpr char kFileCannotBeFound[] = "Corvane: File %1 cannot be found";
inline constexpr char kFilesLost[] = "One or more source files has been moved or deleted.";
inline constexpr char kFilesLostInfo[] = "See console for details.";
inline constexpr char kSaveFailed[] = "Corvane: %1\n";
inline constexpr char kNotBuiltAfterFailedSave[] =
    "Corvane: Nothing was compiled: the sources above could not be saved.\n";
inline constexpr char kBuildingFirst[] = "Corvane: The program is %1, so it is built first.\n";
inline constexpr char kProgramMissing[] = "missing";
inline constexpr char kProgramOlder[] = "older than its sources";
inline constexpr char kScanning[] = "Corvane: Scanning for dependencies...\n";
inline constexpr char kModuleNotFound[] =
    "Corvane: Warning Error: The file containing module %1 was not found.\n";
inline constexpr char kInternalDependency[] =
    "\t \t Corvane: Warning. Internal dependency on module %1 in file %2 \n";
inline constexpr char kInternalDependencyNote[] =
    "\t \t Compilation will fail if modules are not properly ordered \n";
inline constexpr char kModuleFilesHeading[] = "\nCorvane: Module Files:\n";
inline constexpr char kModuleInFile[] = "\tmodule %1 in file %2 \n";
inline constexpr char kScanComplete[] = "Corvane: Scan complete.\n";
inline constexpr char kBuilding[] = "Building...";
inline constexpr char kLibrarySuccess[] = "Corvane: Compilation of library was successful.\n";
inline constexpr char kSuccess[] = "Corvane: Compilation successful.\n";
inline constexpr char kNothingToBuild[] = "Corvane: Nothing to build.\n";
inline constexpr char kHalfWrittenRemoved[] =
    "Corvane: Removed %1 file(s) the aborted build may have left half written.\n";
} // namespace buildtexts

class BuildDriver : public QObject
{
    Q_OBJECT
public:
    BuildDriver(MyDocument *document, RunDriver *runDriver, FileOperations *fileOperations,
                Prompts *prompts, QObject *parent = nullptr);
    ~BuildDriver() override;

    // The Build command: checks, scan, Makefile, then compile(). False when it stopped before
    // `make` was started (the reason is in the console or was told through the prompts).
    // firstLine, when given, is written in info colour as the build's first console line (after
    // the console is cleared).
    bool build(const QString &firstLine = QString());
    // Why Run builds first: the console line when the executable is missing or older than one
    // of the project's files (sources and include files); none when it is up to date or the
    // project has no files (a build could not help it).
    static std::optional<QString> buildBeforeRunReason(const MyDocument &document);
    // Starts `make` in the build folder (cleaning first when a full recompile is due).
    bool compile();
    // After `make` has ended (RunDriver's compileCompleted): product, marker, diagnostics.
    void compileCompleted();
    // Removes objects, module files and the executable. False when a removal failed.
    bool clean();
    // Ends the running child (make and all its compilers, or the user's program).
    void abort();
    // After the document's isDebugBuild changed.
    void changeDebugRelease();
    // Run is possible exactly when the executable exists beside the project.
    void adjustRunToolbarButton();
    // The item states a newly set-up window shows: trash, Build, Run.
    void setUpWindowState();
    bool moduleFileExistsFor(const QString &lowerCaseName) const;

    bool verboseOutput() const { return m_verboseOutput; }
    void setVerboseOutput(bool on) { m_verboseOutput = on; }
    // The command line chooses parallel make, and its job count, without touching the
    // "parallelBuild" and "parallelJobs" settings.
    void setParallelBuildOverride(std::optional<bool> parallel) { m_parallelOverride = parallel; }
    void setParallelJobsOverride(std::optional<int> jobs) { m_jobsOverride = jobs; }
    // make's arguments: "-jN" first for a parallel build (N at least 1), then "-r" and "-f" and
    // the path. The Makefile spells out every rule; without make's built-in ones make does not
    // look for a way to remake each source, which on a large project was most of a no-op build.
    static QStringList makeArguments(bool parallel, int jobs, const QString &makefile);

    const QStringList &moduleNames() const { return m_moduleNames; }
    const std::optional<ErrorsDictionary> &errorsDictionary() const { return m_errorsDictionary; }
    const QString &loaderText() const { return m_loaderText; }
    // The last build ended with make's success and its executable or library in place (also
    // when there was nothing to build).
    bool productWasMade() const { return m_productWasMade; }
    // The last build succeeded without compiling, archiving or linking anything.
    bool hadNothingToBuild() const { return m_nothingToBuild; }

signals:
    void trashFullChanged(bool full);
    // errorsDictionary changed: emptied when make starts, filled when it ends. The window fills
    // the diagnostics outline, hides or sets the editor's marks and closes the popover.
    void diagnosticsChanged();
    void loaderTextChanged(const QString &text);
    void diagnosticsPaneRequested();
    void consoleFocusRequested();
    // The number-of-processors field is shown only for MPI, coarray and OpenMP builds.
    void parallelOptionsVisibleChanged(bool visible);
    // A build ended (also after an abort); removedErrors of the marks are forgotten.
    void buildFinished(bool productMade);

private:
    bool scanAndWriteMakefile(const QString &firstLine);
    void appendText(const QString &text, Console::Role role);
    void stopWithoutMake();
    void onAborting();
    void removeHalfWrittenProducts();
    void placeProduct();
    QString builtProductPath() const;
    void takeDiagnostics();

    MyDocument *m_document;
    RunDriver *m_run;
    InteractiveConsoleController *m_runner;
    FileOperations *m_fileOperations;
    Prompts *m_prompts;
    bool m_verboseOutput = false;
    std::optional<bool> m_parallelOverride;
    std::optional<int> m_jobsOverride;
    QStringList m_moduleNames;
    std::optional<ErrorsDictionary> m_errorsDictionary;
    QString m_loaderText;
    bool m_productWasMade = false;
    bool m_nothingToBuild = false;
    // The product in the build folder as make found it: unchanged after make means nothing ran.
    std::optional<productplacement::FileVersion> m_productBeforeMake;
    bool m_aborted = false;
    // An aborted build: its folder and start, so that what it half wrote is removed.
    QString m_abortedBuildDirectory;
    QDateTime m_abortedBuildStart;
    // A full recompile that became due in the configuration not shown (debug, release).
    bool m_staleConfiguration[2] = {false, false};
};

} // namespace corvane
