// MyDocument: one project. Owns the sorted list of source records, the debug and release build
// settings, the input file, notes, notification choices and the remembered window state; reads
// and writes the project file (a keyed archive, projectfile.cpp) and derives the build paths.
// No windows here: the window reads and sets these fields and listens to the signals.
#pragma once

#include "project/corvanenote.h"
#include "project/findresult.h"
#include "project/fortranfile.h"
#include "settings/result.h"

#include <QDateTime>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <optional>

namespace corvane
{

class ProjectIndex;
class Prompts;

class MyDocument : public QObject
{
    Q_OBJECT
public:
    using FilePtr = std::shared_ptr<FortranFile>;

    // Initial values; the compiler path comes from the "compilerPath" setting.
    explicit MyDocument(QObject *parent = nullptr);
    ~MyDocument() override;

    // Reads a project file. A file that is not a project (not a property list, not a keyed
    // archive, wrong root, truncated) is an error naming the file; missing sources and a missing
    // input file are told through prompts and dropped.
    static Result<std::unique_ptr<MyDocument>> open(const QString &path, Prompts &prompts);
    Result<void> read(const QString &path, Prompts &prompts);
    // Writes the project file atomically and remembers path; marks the document unchanged.
    // Refuses to write over a file whose file list was damaged (see keepDamagedCopy).
    Result<void> write(const QString &path);
    // The file read had settings but no readable file list (wrong type, or bookmarks without
    // it); told through prompts when read.
    bool fileListDamaged() const { return m_fileListDamaged; }
    // Copies the damaged file to "NAME.corvane.damaged"; afterwards write may replace it.
    Result<void> keepDamagedCopy();
    // Another program changed or replaced the project file since this document read or wrote it.
    bool projectFileChangedOnDisk() const;
    // The project file's identity, size and modification time on disk now (empty when absent).
    QByteArray diskState() const;
    // The project file, empty for a new unsaved project.
    const QString &fileName() const { return m_fileName; }
    void setFileName(const QString &path);

    // --- change marking -------------------------------------------------------------------
    int changeCount() const { return m_changeCount; }
    bool isDocumentEdited() const { return m_changeCount != 0; }
    void documentHasChanged(); // marks changed
    void markUnchanged();

    // --- source files ---------------------------------------------------------------------
    const QList<FilePtr> &projectFiles() const { return m_projectFiles; }
    QStringList fileNames() const;
    FortranFile *fortranFileNamed(const QString &path) const;
    // -1 (with a beep when prompts is given) when not in the project.
    int indexOfFileNamed(const QString &path, Prompts *prompts = nullptr) const;
    // null when the index is out of range or the file is lost.
    QString selectedFilePathAtIndex(int index) const;
    // Adds new paths (known ones skipped), extends includeFlags for include files, sorts, marks
    // changed. Returns the number added.
    int addFileNames(const QStringList &paths, bool asNew);
    void removeProjectFileAtIndex(int index);
    void sortProjectFiles();
    // The file the window shows (not owned), or nullptr; setCompilerFlags looks at its form.
    FortranFile *currentFile() const { return m_currentFile; }
    void setCurrentFile(FortranFile *file) { m_currentFile = file; }

    // --- build settings -------------------------------------------------------------------
    const QString &debugCompilerFlags() const { return m_debugCompilerFlags; }
    const QString &releaseCompilerFlags() const { return m_releaseCompilerFlags; }
    const QString &debugLinkerFlags() const { return m_debugLinkerFlags; }
    const QString &releaseLinkerFlags() const { return m_releaseLinkerFlags; }
    void setDebugCompilerFlags(const QString &flags);
    void setReleaseCompilerFlags(const QString &flags);
    void setDebugLinkerFlags(const QString &flags);
    void setReleaseLinkerFlags(const QString &flags);
    bool isDebugBuild() const { return m_isDebugBuild; }
    void setIsDebugBuild(bool debug);
    QString compilerFlags() const;
    QString linkerFlags() const;
    void setCompilerFlags(const QString &flags);
    void setLinkerFlags(const QString &flags);
    const QString &includeFlags() const { return m_includeFlags; }
    void setIncludeFlags(const QString &flags);
    const QString &projectCompilerPath() const { return m_projectCompilerPath; }
    void setProjectCompilerPath(const QString &path);
    qint64 compiler() const { return m_compiler; }
    void setCompiler(qint64 compiler);
    qint64 compilerNumber() const;
    bool shouldEnableParallel() const { return compilerNumber() != 0; }
    // Processes of an MPI run or threads of an OpenMP run: 1 to kMaxProcessors. Values outside
    // (a damaged file, a typing slip) are brought into that range.
    static constexpr qint64 kMaxProcessors = 4096;
    qint64 numberOfProcessors() const { return m_numberOfProcessors; }
    void setNumberOfProcessors(qint64 count);
    std::optional<bool> compileForLibrary() const { return m_compileForLibrary; }
    void setCompileForLibrary(std::optional<bool> library);
    bool needsFullRecompile() const { return m_needsFullRecompile; }
    void setNeedsFullRecompile(bool needs) { m_needsFullRecompile = needs; }
    bool colorAsF90() const { return m_colorAsF90; }
    const QString &makeFile() const { return m_makeFile; }
    void setMakeFile(const QString &text) { m_makeFile = text; }
    const QString &pathToMakefile() const { return m_pathToMakefile; }
    void setPathToMakefile(const QString &path) { m_pathToMakefile = path; }

    // --- derived paths --------------------------------------------------------------------
    QString docDirectoryPath() const;
    QString buildDirectoryPath() const;
    QString executableName() const;
    QString libraryDirectoryPath() const;
    QString libraryName() const;

    // --- run settings ---------------------------------------------------------------------
    const QString &commandLineArguments() const { return m_commandLineArguments; }
    void setCommandLineArguments(const QString &args);
    qint64 inputOption() const { return m_inputOption; }
    void setInputOption(qint64 option);
    // The input file's path, refreshing the bookmark (a moved file is followed).
    QString inputFileName();
    const QString &storedInputFileName() const { return m_inputFileName; }
    void setInputFileName(const QString &path);
    const QByteArray &inputFileBookmark() const { return m_inputFileBookmark; }
    QString inputFileDisplayName() const;
    // The input file's text, or a null string after presenting the read error.
    QString contentsOfInputFile(Prompts &prompts);
    bool inputFileWasEdited() const { return m_inputFileWasEdited; }
    void setInputFileWasEdited(bool edited) { m_inputFileWasEdited = edited; }
    bool continuouslyUpdateConsole() const { return m_continuouslyUpdateConsole; }
    void setContinuouslyUpdateConsole(bool on);
    // The Makefile makes readers of a module depend on its module file rather than on the
    // object that defines it (on unless the project turned it off).
    bool moduleAwareRebuilds() const { return m_moduleAwareRebuilds; }
    void setModuleAwareRebuilds(bool on);

    // --- notifications --------------------------------------------------------------------
    bool notifyWhenComplete() const { return m_notifyWhenComplete; }
    bool notifyByEmail() const { return m_notifyByEmail; }
    bool notifyByDock() const { return m_notifyByDock; }
    const QString &notificationEmailAddress() const { return m_notificationEmailAddress; }
    const QString &notificationHeader() const { return m_notificationHeader; }
    const QString &notificationBody() const { return m_notificationBody; }
    void setNotifyWhenComplete(bool on);
    void setNotifyByEmail(bool on);
    void setNotifyByDock(bool on);
    void setNotificationEmailAddress(const QString &text);
    void setNotificationHeader(const QString &text);
    void setNotificationBody(const QString &text);
    QVariantMap userNotificationInfo() const;
    void setUserNotificationInfo(const QVariantMap &info);

    // --- notes, window data, diagnostics ----------------------------------------------------
    const QList<CorvaneNote> &notes() const { return m_notes; }
    void addNote(const CorvaneNote &note); // appended; marks changed
    void removeNoteAtIndex(int index);     // marks changed
    void setNoteAtIndex(int index, const CorvaneNote &note);
    const std::optional<QStringList> &shelfFiles() const { return m_shelfFiles; }
    void setShelfFiles(const std::optional<QStringList> &files) { m_shelfFiles = files; }
    // Console text read from the file (null = none); the window takes it once and clears it.
    const QString &consoleString() const { return m_consoleString; }
    void setConsoleString(const QString &text) { m_consoleString = text; }
    const std::optional<QVariantMap> &windowStates() const { return m_windowStates; }
    void setWindowStates(const std::optional<QVariantMap> &states) { m_windowStates = states; }
    const std::optional<ErrorsDictionary> &errorsDictionary() const { return m_errorsDictionary; }
    void setErrorsDictionary(const std::optional<ErrorsDictionary> &e) { m_errorsDictionary = e; }
    bool isLocalFileModification() const { return m_isLocalFileModification; }
    void setIsLocalFileModification(bool on) { m_isLocalFileModification = on; }
    const QDateTime &lastBatchSaveTime() const { return m_lastBatchSaveTime; }
    void setLastBatchSaveTime(const QDateTime &t) { m_lastBatchSaveTime = t; }

    // What the window contributes to the project file when it is written. Without a provider the
    // values read from the file (or set above) are written back unchanged.
    struct WindowData {
        QString consoleText; // written when "saveConsoleSessions" is on and this is not empty
        std::optional<ErrorsDictionary> errorsDictionary;
        std::optional<QStringList> shelfFiles;
        QVariantMap windowStates;
    };
    void setWindowDataProvider(std::function<WindowData()> provider);
    WindowData windowData() const;

    // --- project index (filled by indexing) --------------------------------------------------
    std::shared_ptr<const ProjectIndex> projectIndex() const { return m_projectIndex; }
    void setProjectIndex(std::shared_ptr<const ProjectIndex> index);

    const QSet<QString> &allowableExtensions() const { return m_allowableExtensions; }
    const QSet<QString> &parseableExtensions() const { return m_parseableExtensions; }
    const QSet<QString> &includeExtensions() const { return m_includeExtensions; }

    // Applies the "FontName"/"FontSize" settings to every loaded text storage.
    void applyFontToTextStorages();

signals:
    // The change count moved (edited or saved).
    void changed();
    // A persistent setting changed; key is the field name ("compilerFlags", "inputOption", ...).
    void settingChanged(const QString &key);
    void fileListDidChange();
    void documentWillAddFilesAsNew(bool asNew);
    void documentDidAddFilesAsNew(bool asNew, FortranFile *lastAdded);
    // setCompilerFlags switched free-form colouring of fixed-form files on or off.
    void colouringModeChanged(bool colorAsF90);
    void projectIndexChanged();

private:
    void setting(const QString &key); // marks changed and emits settingChanged
    void onDefaultsChanged(const QString &key);

    QString m_fileName;
    bool m_fileListDamaged = false;
    QByteArray m_diskState;
    int m_changeCount = 0;
    QList<FilePtr> m_projectFiles;
    FortranFile *m_currentFile = nullptr;
    QList<CorvaneNote> m_notes;
    std::optional<QStringList> m_shelfFiles;
    QString m_consoleString;
    QString m_debugCompilerFlags, m_releaseCompilerFlags, m_debugLinkerFlags, m_releaseLinkerFlags;
    bool m_isDebugBuild = false;
    QString m_includeFlags;
    QString m_projectCompilerPath;
    qint64 m_compiler = 0;
    qint64 m_numberOfProcessors = 1;
    QString m_commandLineArguments;
    qint64 m_inputOption = 2;
    QString m_inputFileName;
    QByteArray m_inputFileBookmark;
    bool m_inputFileWasEdited = false;
    std::optional<bool> m_compileForLibrary;
    QString m_makeFile, m_pathToMakefile;
    bool m_needsFullRecompile = false;
    bool m_continuouslyUpdateConsole = false;
    bool m_moduleAwareRebuilds = true;
    bool m_colorAsF90 = false;
    bool m_notifyWhenComplete = false, m_notifyByEmail = false, m_notifyByDock = false;
    QString m_notificationEmailAddress{""}, m_notificationHeader{""}, m_notificationBody{""};
    bool m_isLocalFileModification = false;
    std::optional<QVariantMap> m_windowStates;
    std::optional<ErrorsDictionary> m_errorsDictionary;
    QDateTime m_lastBatchSaveTime;
    std::shared_ptr<const ProjectIndex> m_projectIndex;
    std::function<WindowData()> m_windowDataProvider;
    QSet<QString> m_allowableExtensions, m_parseableExtensions, m_includeExtensions;
};

} // namespace corvane
