// FileOperations: what a project does to files other than the project file: adding sources
// (chosen, dropped, or created from the header template), following moved sources, saving edited
// sources and refreshing their time stamps, writing the Makefile and the input file, exporting
// the console and the notes, and handing a source to an external editor. Questions and errors go
// through Prompts; panels are the window's, so paths arrive as arguments.
#pragma once

#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace corvane
{

class FortranFile;
class MyDocument;
class Prompts;

// Re-parses saved files and their dependants; the project index provides it.
class Reindexer
{
public:
    virtual ~Reindexer() = default;
    virtual bool isIndexing() const = 0;
    virtual void reindexFiles(const QList<std::shared_ptr<FortranFile>> &files) = 0;
};

class FileOperations : public QObject
{
    Q_OBJECT
public:
    FileOperations(MyDocument &document, Prompts &prompts, QObject *parent = nullptr);

    void setReindexer(Reindexer *reindexer) { m_reindexer = reindexer; }
    // The text of the window's input-file editor, written by saveInputFile.
    void setInputFileTextProvider(std::function<QString()> provider);
    // How a file is handed to an external program (default: a detached process).
    void setLauncher(std::function<bool(const QString &program, const QStringList &args)> launch);

    // Open-panel choice: below each item the files whose extension begins with "f", then those
    // beginning with "i". Returns the number added.
    int openFiles(const QStringList &chosenItems);
    // The paths openFiles adds for the chosen items (listing errors go to prompts when given).
    static QStringList filesForOpenPanelChoice(const QStringList &chosenItems,
                                               Prompts *prompts = nullptr);
    // Dropped items: Fortran sources and include files ("F", "f90", "f95", "f", "for", "inc",
    // "hpp", "h").
    int dropFiles(const QStringList &droppedItems);
    // Creates path (default extension added when it has none) from the "FileHeader" template and
    // adds it as new; the path created, or nullopt after presenting the write error.
    std::optional<QString> createNewFortranFile(QString path);
    void checkSourceFilesExistence();

    bool filesNeedSaving() const;
    // Writes every modified source; returns those written. A source that cannot be written stays
    // modified and the error is presented.
    QList<std::shared_ptr<FortranFile>> saveFiles();
    // Writes one source's text and marks it saved; false after presenting the write error.
    bool saveFile(FortranFile &file);
    // Saves at once with "autoSaveFiles", else asks without waiting for the answer. False when
    // a source could not be written (its edits stay unsaved; sourceSaveErrors() tells why).
    bool saveFilesIfRequested();
    // Why the sources of the last saveFiles() could not be written, one message each.
    const QStringList &sourceSaveErrors() const { return m_sourceSaveErrors; }
    void updateChangeTimeStampsOfFiles(const QList<std::shared_ptr<FortranFile>> &files);
    bool saveMakefile();
    bool saveInputFile();
    void saveDocumentManagedFiles();
    // The console text (a single blank when empty) to path.
    bool saveConsole(const QString &path, const QString &consoleText);
    // The notes to path; writes nothing when there are none. Write errors are presented.
    bool exportNotes(const QString &path);
    // Hands the file at index to the external editor; currentEditorText is the editor's text
    // for a modified file. False when nothing was opened.
    bool editFile(int index, const QString &currentEditorText = QString());

    // "<Date>", "<Name>" and "<Filename>" filled in, each first occurrence only.
    static QString fileHeaderFor(const QString &templateText, const QString &fileName,
                                 const QString &userName, const QDateTime &now);
    static QString userFullName();

signals:
    // The window reloads its file list.
    void fileListNeedsReload();

private:
    // Writes text in place; the error is presented and, with error, also handed back.
    bool writeText(const QString &path, const QString &text, QString *error = nullptr);

    MyDocument &m_document;
    Prompts &m_prompts;
    Reindexer *m_reindexer = nullptr;
    std::function<QString()> m_inputFileText;
    QStringList m_sourceSaveErrors;
    std::function<bool(const QString &, const QStringList &)> m_launch;
};

} // namespace corvane
