#include "fileoperations.h"

#include "project/bookmark.h"
#include "project/filecollection.h"
#include "project/fortranfile.h"
#include "project/mydocument.h"
#include "project/prompts.h"
#include "settings/defaults.h"
#include "settings/safefile.h"
#include "settings/settingskeys.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QTextDocument>
#include <QTimer>

#include <pwd.h>
#include <unistd.h>

namespace corvane
{

namespace
{

constexpr char kSaveQuestion[] = "Do you want to save your Fortran files before continuing?";
constexpr char kSaveInfo[] = "If No, then the previously saved versions will be kept and compiled";
constexpr char kModifiedQuestion[] =
    "The file %1 has been modified. Do you want to save it before opening in an external editor?";
constexpr char kModifiedInfo[] = "Not saving changes can create conflicts and is not recommended.";

QString replaceFirst(QString text, const QString &what, const QString &with)
{
    const qsizetype at = text.indexOf(what);
    if (at >= 0)
        text.replace(at, what.size(), with);
    return text;
}

} // namespace

FileOperations::FileOperations(MyDocument &document, Prompts &prompts, QObject *parent)
    : QObject(parent), m_document(document), m_prompts(prompts)
{
    m_launch = [](const QString &program, const QStringList &args) {
        return QProcess::startDetached(program, args);
    };
}

void FileOperations::setInputFileTextProvider(std::function<QString()> provider)
{
    m_inputFileText = std::move(provider);
}

void FileOperations::setLauncher(std::function<bool(const QString &, const QStringList &)> launch)
{
    m_launch = std::move(launch);
}

bool FileOperations::writeText(const QString &path, const QString &text, QString *error)
{
    // Written in place (not atomically), as other programs may hold the file open; a failed
    // write keeps the old contents.
    if (Result<void> written = SafeFile::overwrite(path, text.toUtf8()); !written) {
        const QString message =
            QString("The file “%1” could not be saved: %2").arg(path, written.error());
        if (error)
            *error = message;
        m_prompts.presentError(message);
        return false;
    }
    return true;
}

QStringList FileOperations::filesForOpenPanelChoice(const QStringList &chosenItems,
                                                    Prompts *prompts)
{
    QStringList paths;
    for (const QString &item : chosenItems) {
        paths << filePathsWithExtensionStart('f', item, prompts).value_or(QStringList());
        paths << filePathsWithExtensionStart('i', item, prompts).value_or(QStringList());
    }
    return paths;
}

int FileOperations::openFiles(const QStringList &chosenItems)
{
    const int added =
        m_document.addFileNames(filesForOpenPanelChoice(chosenItems, &m_prompts), false);
    emit fileListNeedsReload();
    return added;
}

int FileOperations::dropFiles(const QStringList &droppedItems)
{
    // Compared with the lower-cased extension, so "F" can never match; kept as the known list.
    static const QSet<QString> kDropExtensions{"F", "f90", "f95", "f", "for", "inc", "hpp", "h"};
    QStringList paths;
    for (const QString &item : droppedItems)
        paths << filePathsWithExtensionInSet(kDropExtensions, item, &m_prompts)
                     .value_or(QStringList());
    const int added = m_document.addFileNames(paths, false);
    emit fileListNeedsReload();
    return added;
}

QString FileOperations::fileHeaderFor(const QString &templateText, const QString &fileName,
                                      const QString &userName, const QDateTime &now)
{
    const QLocale locale;
    const QString date = locale.toString(now.date(), QLocale::LongFormat) + " " +
                         locale.toString(now.time(), QLocale::ShortFormat);
    QString text = replaceFirst(templateText, "<Date>", date);
    text = replaceFirst(text, "<Name>", userName);
    return replaceFirst(text, "<Filename>", fileName);
}

QString FileOperations::userFullName()
{
    if (const passwd *pw = getpwuid(getuid())) {
        const QString gecos = QString::fromLocal8Bit(pw->pw_gecos).section(',', 0, 0);
        return gecos.isEmpty() ? QString::fromLocal8Bit(pw->pw_name) : gecos;
    }
    return qEnvironmentVariable("USER");
}

std::optional<QString> FileOperations::createNewFortranFile(QString path)
{
    if (QFileInfo(path).suffix().isEmpty()) {
        QString ext = Defaults::instance().stringValue(keys::defaultFileExtension);
        path += "." + (ext.isEmpty() ? QString("f90") : ext);
    }
    const QString header =
        Defaults::instance().mapValue(keys::TemplateStrings).value("FileHeader").toString();
    const QString contents = header.isEmpty()
                                 ? QString()
                                 : fileHeaderFor(header, QFileInfo(path).fileName(), userFullName(),
                                                 QDateTime::currentDateTime());
    if (!writeText(path, contents))
        return std::nullopt;
    m_document.addFileNames({path}, true);
    emit fileListNeedsReload();
    return path;
}

void FileOperations::checkSourceFilesExistence()
{
    const QString root = m_document.docDirectoryPath();
    bool moved = false;
    for (const auto &file : m_document.projectFiles())
        moved = file->resolveFilePath(root) || moved;
    if (moved)
        emit m_document.fileListDidChange();
}

bool FileOperations::filesNeedSaving() const
{
    for (const auto &file : m_document.projectFiles())
        if (file->fileState() == FortranFile::Modified)
            return true;
    return false;
}

QList<std::shared_ptr<FortranFile>> FileOperations::saveFiles()
{
    if (m_document.inputFileWasEdited())
        saveInputFile();
    QList<std::shared_ptr<FortranFile>> saved;
    m_sourceSaveErrors.clear();
    if (m_document.projectFiles().isEmpty())
        return saved;
    for (const auto &file : m_document.projectFiles()) {
        if (file->fileState() != FortranFile::Modified)
            continue;
        m_document.setIsLocalFileModification(true);
        // A source that could not be written keeps its edits marked unsaved.
        QString error;
        if (writeText(file->filePath(), file->text(), &error)) {
            file->setFileState(FortranFile::Saved);
            saved << file;
        } else {
            m_sourceSaveErrors << error;
        }
    }
    emit fileListNeedsReload();
    m_document.setLastBatchSaveTime(QDateTime::currentDateTime());
    if (!saved.isEmpty()) {
        QList<std::weak_ptr<FortranFile>> later(saved.begin(), saved.end());
        QTimer::singleShot(1000, this, [this, later] {
            QList<std::shared_ptr<FortranFile>> alive;
            for (const auto &w : later)
                if (auto f = w.lock())
                    alive << f;
            updateChangeTimeStampsOfFiles(alive);
        });
    }
    if (m_reindexer) {
        if (m_reindexer->isIndexing())
            m_prompts.beep();
        else if (!saved.isEmpty())
            m_reindexer->reindexFiles(saved);
    }
    return saved;
}

bool FileOperations::saveFile(FortranFile &file)
{
    m_document.setIsLocalFileModification(true);
    if (!writeText(file.filePath(), file.text()))
        return false;
    file.setFileState(FortranFile::Saved);
    return true;
}

bool FileOperations::saveFilesIfRequested()
{
    m_sourceSaveErrors.clear();
    if (!filesNeedSaving())
        return true;
    if (Defaults::instance().boolValue(keys::autoSaveFiles)) {
        saveFiles();
        return m_sourceSaveErrors.isEmpty();
    }
    m_prompts.askLater(kSaveQuestion, kSaveInfo, {"Yes", "No"}, [this](int answer) {
        if (answer == 0)
            saveFiles();
    });
    return true;
}

void FileOperations::updateChangeTimeStampsOfFiles(const QList<std::shared_ptr<FortranFile>> &files)
{
    for (const auto &file : files) {
        const QFileInfo info(file->filePath());
        if (info.exists()) {
            const QDateTime modified = info.lastModified();
            if (!modified.isValid()) {
                m_prompts.presentError(
                    QString("The attributes of “%1” could not be read.").arg(file->filePath()));
                continue;
            }
            file->setTimeStamp(modified);
            file->setBookmark(Bookmark::create(file->filePath()));
        } else {
            file->setFilePath(Bookmark::resolve(file->bookmark(), m_document.docDirectoryPath())
                                  .value_or(QString()));
        }
    }
}

bool FileOperations::saveMakefile()
{
    if (m_document.makeFile().isEmpty())
        return false;
    const QString name = QFileInfo(m_document.fileName()).completeBaseName() + ".mak";
    const QString path = QDir(m_document.buildDirectoryPath()).filePath(name);
    QDir().mkpath(m_document.buildDirectoryPath());
    // A Makefile that already says the same is left alone: no write and sync on every build,
    // and its time stays that of the last change.
    if (!SafeFile::holds(path, m_document.makeFile().toUtf8()) &&
        !writeText(path, m_document.makeFile()))
        return false;
    m_document.setPathToMakefile(path);
    return true;
}

bool FileOperations::saveInputFile()
{
    const QString path = m_document.inputFileName();
    if (path.isEmpty() || !m_inputFileText)
        return false;
    if (!writeText(path, m_inputFileText()))
        return false;
    m_document.setInputFileWasEdited(false);
    return true;
}

void FileOperations::saveDocumentManagedFiles()
{
    saveFiles();
    saveMakefile();
    if (m_document.inputFileWasEdited())
        saveInputFile();
}

bool FileOperations::saveConsole(const QString &path, const QString &consoleText)
{
    return writeText(path, consoleText.isEmpty() ? QString(" ") : consoleText);
}

bool FileOperations::exportNotes(const QString &path)
{
    QString text;
    for (const CorvaneNote &note : m_document.notes())
        text += note.noteForPrinting();
    if (text.isEmpty())
        return false;
    return writeText(path, text);
}

bool FileOperations::editFile(int index, const QString &currentEditorText)
{
    const auto &files = m_document.projectFiles();
    if (index < 0 || index >= files.size())
        return false;
    FortranFile &file = *files[index];
    if (file.fileState() == FortranFile::Lost) {
        m_prompts.beep();
        return false;
    }
    if (file.fileState() == FortranFile::Modified) {
        const int answer = m_prompts.ask(
            QString::fromLatin1(kModifiedQuestion).arg(QFileInfo(file.filePath()).fileName()),
            kModifiedInfo, {"Yes", "No", "Cancel"});
        if (answer == 2)
            return false;
        if (answer == 0) {
            m_document.setIsLocalFileModification(true);
            const QString text = currentEditorText.isNull() ? file.text() : currentEditorText;
            if (!writeText(file.filePath(), text))
                return false; // keep the edits; nothing is opened over them
            file.setFileState(FortranFile::Saved);
            file.dropTextStorage();
        }
    }
    if (Defaults::instance().boolValue(keys::CorvaneEdit))
        return m_launch(QCoreApplication::applicationFilePath(), {"--edit", file.filePath()});
    return m_launch("xdg-open", {file.filePath()});
}

} // namespace corvane
