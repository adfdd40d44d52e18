#include "mydocument.h"

#include "project/bookmark.h"
#include "project/prompts.h"
#include "settings/defaults.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QTextDocument>

#include <algorithm>

#include <sys/stat.h>

namespace corvane
{

namespace
{
const char kCompilerPathKey[] = "compilerPath";
const char kFontNameKey[] = "FontName";
const char kFontSizeKey[] = "FontSize";
} // namespace

MyDocument::MyDocument(QObject *parent)
    : QObject(parent), m_lastBatchSaveTime(QDateTime::currentDateTime()),
      m_allowableExtensions({"F", "f90", "f95", "f", "for", "inc", "hpp", "h"}),
      m_parseableExtensions({"f90", "f95", "f", "for"}), m_includeExtensions({"inc", "hpp", "h"})
{
    const QString compilerPath = Defaults::instance().stringValue(kCompilerPathKey);
    if (!compilerPath.isEmpty()) {
        m_projectCompilerPath = compilerPath;
        m_compiler = compilerNumber();
    }
    connect(&Defaults::instance(), &Defaults::changed, this, &MyDocument::onDefaultsChanged);
}

MyDocument::~MyDocument() = default;

void MyDocument::setFileName(const QString &path)
{
    m_fileName = path;
}

QByteArray MyDocument::diskState() const
{
    struct stat st {};
    if (m_fileName.isEmpty() || ::stat(QFile::encodeName(m_fileName).constData(), &st) != 0)
        return QByteArray();
    return QByteArray::number(quint64(st.st_dev)) + ':' + QByteArray::number(quint64(st.st_ino)) +
           ':' + QByteArray::number(qint64(st.st_size)) + ':' +
           QByteArray::number(qint64(st.st_mtim.tv_sec)) + '.' +
           QByteArray::number(qint64(st.st_mtim.tv_nsec));
}

bool MyDocument::projectFileChangedOnDisk() const
{
    const QByteArray now = diskState();
    return !m_diskState.isEmpty() && !now.isEmpty() && now != m_diskState;
}

// --- change marking -------------------------------------------------------------------------

void MyDocument::documentHasChanged()
{
    ++m_changeCount;
    emit changed();
}

void MyDocument::markUnchanged()
{
    m_changeCount = 0;
    emit changed();
}

void MyDocument::setting(const QString &key)
{
    documentHasChanged();
    emit settingChanged(key);
}

// --- source files ---------------------------------------------------------------------------

QStringList MyDocument::fileNames() const
{
    QStringList names;
    names.reserve(m_projectFiles.size());
    for (const FilePtr &f : m_projectFiles)
        names << f->filePath();
    return names;
}

FortranFile *MyDocument::fortranFileNamed(const QString &path) const
{
    for (const FilePtr &f : m_projectFiles)
        if (f->filePath() == path)
            return f.get();
    return nullptr;
}

int MyDocument::indexOfFileNamed(const QString &path, Prompts *prompts) const
{
    for (int i = 0; i < m_projectFiles.size(); ++i)
        if (m_projectFiles[i]->filePath() == path)
            return i;
    if (prompts)
        prompts->beep();
    return -1;
}

QString MyDocument::selectedFilePathAtIndex(int index) const
{
    if (index < 0 || index >= m_projectFiles.size())
        return QString();
    const FilePtr &f = m_projectFiles[index];
    return f->fileState() == FortranFile::Lost ? QString() : f->filePath();
}

int MyDocument::addFileNames(const QStringList &paths, bool asNew)
{
    QString flags = m_includeFlags.isNull() ? QString("") : m_includeFlags;
    emit documentWillAddFilesAsNew(asNew);
    QStringList known = fileNames();
    FortranFile *last = nullptr;
    int added = 0;
    for (const QString &p : paths) {
        if (p.isEmpty() || known.contains(p))
            continue;
        auto record = std::make_shared<FortranFile>(p);
        m_projectFiles.append(record);
        known << p;
        last = record.get();
        ++added;
        const QFileInfo info(p);
        if (m_includeExtensions.contains(info.suffix().toLower())) {
            const QString dir = info.path();
            if (!flags.contains(dir)) {
                if (!flags.isEmpty() && !flags.endsWith(' '))
                    flags += ' ';
                flags += '"' + dir + "\" ";
            }
        }
    }
    if (added == 0)
        return 0;
    if (!flags.isEmpty() && flags != m_includeFlags) {
        m_includeFlags = flags;
        emit settingChanged("includeFlags");
    }
    sortProjectFiles();
    documentHasChanged();
    emit documentDidAddFilesAsNew(asNew, last);
    emit fileListDidChange();
    return added;
}

void MyDocument::removeProjectFileAtIndex(int index)
{
    if (index < 0 || index >= m_projectFiles.size())
        return;
    if (m_currentFile == m_projectFiles[index].get())
        m_currentFile = nullptr;
    m_projectFiles.removeAt(index);
    documentHasChanged();
    emit fileListDidChange();
}

void MyDocument::sortProjectFiles()
{
    std::stable_sort(
        m_projectFiles.begin(), m_projectFiles.end(),
        [](const FilePtr &a, const FilePtr &b) { return a->compareFortranFiles(*b) < 0; });
}

// --- build settings -------------------------------------------------------------------------

void MyDocument::setDebugCompilerFlags(const QString &flags)
{
    m_debugCompilerFlags = flags;
    m_needsFullRecompile = true;
    setting("debugCompilerFlags");
}

void MyDocument::setReleaseCompilerFlags(const QString &flags)
{
    m_releaseCompilerFlags = flags;
    m_needsFullRecompile = true;
    setting("releaseCompilerFlags");
}

void MyDocument::setDebugLinkerFlags(const QString &flags)
{
    m_debugLinkerFlags = flags;
    setting("debugLinkerFlags");
}

void MyDocument::setReleaseLinkerFlags(const QString &flags)
{
    m_releaseLinkerFlags = flags;
    setting("releaseLinkerFlags");
}

void MyDocument::setIsDebugBuild(bool debug)
{
    m_isDebugBuild = debug;
    setting("isDebugBuild");
}

QString MyDocument::compilerFlags() const
{
    return m_isDebugBuild ? m_debugCompilerFlags : m_releaseCompilerFlags;
}

QString MyDocument::linkerFlags() const
{
    return m_isDebugBuild ? m_debugLinkerFlags : m_releaseLinkerFlags;
}

void MyDocument::setCompilerFlags(const QString &flags)
{
    const QString current = compilerFlags();
    if (flags == current && flags.isNull() == current.isNull())
        return;
    (m_isDebugBuild ? m_debugCompilerFlags : m_releaseCompilerFlags) = flags;
    m_needsFullRecompile = true;
    if (!m_currentFile || !m_currentFile->isF90File()) {
        const bool freeForm = flags.contains("free");
        if (freeForm != m_colorAsF90) {
            m_colorAsF90 = freeForm;
            emit colouringModeChanged(freeForm);
        }
    }
    setting("compilerFlags");
}

void MyDocument::setLinkerFlags(const QString &flags)
{
    (m_isDebugBuild ? m_debugLinkerFlags : m_releaseLinkerFlags) = flags;
    setting("linkerFlags");
}

void MyDocument::setIncludeFlags(const QString &flags)
{
    m_includeFlags = flags;
    setting("includeFlags");
}

void MyDocument::setProjectCompilerPath(const QString &path)
{
    if (path == m_projectCompilerPath && path.isNull() == m_projectCompilerPath.isNull())
        return;
    m_needsFullRecompile = true;
    m_projectCompilerPath = path;
    m_compiler = compilerNumber();
    setting("projectCompilerPath");
    emit settingChanged("compiler");
}

void MyDocument::setCompiler(qint64 compiler)
{
    if (compiler != m_compiler)
        m_needsFullRecompile = true;
    m_compiler = compiler;
    setting("compiler");
}

// "mpi" and "caf" are looked for in the compiler's file name only: a folder such as
// /opt/intel/oneapi/compiler/latest/bin holds "mpi" inside "compiler" and must not make ifx an
// MPI compiler.
qint64 MyDocument::compilerNumber() const
{
    const QString name = QFileInfo(m_projectCompilerPath).fileName();
    if (name.contains("mpi") || name.contains("caf"))
        return 1;
    const QString flags = compilerFlags();
    if (flags.contains("openmp") || flags.contains("mp"))
        return 2;
    return 0;
}

void MyDocument::setNumberOfProcessors(qint64 count)
{
    m_numberOfProcessors = std::clamp<qint64>(count, 1, kMaxProcessors);
    setting("numberOfProcessors");
}

void MyDocument::setCompileForLibrary(std::optional<bool> library)
{
    m_compileForLibrary = library;
    setting("compileForLibrary");
}

// --- derived paths --------------------------------------------------------------------------

QString MyDocument::docDirectoryPath() const
{
    if (m_fileName.isEmpty())
        return QString();
    return QFileInfo(m_fileName).absolutePath();
}

QString MyDocument::buildDirectoryPath() const
{
    return QDir(docDirectoryPath()).filePath(m_isDebugBuild ? "Build_Testing" : "Build_Running");
}

QString MyDocument::executableName() const
{
    // "My Run.corvane" -> "My Run" -> "My RunRunning" -> "MyRunRunning"
    QString name = QFileInfo(m_fileName).completeBaseName();
    name += m_isDebugBuild ? "Testing" : "Running";
    name.remove(' ');
    return name;
}

QString MyDocument::libraryDirectoryPath() const
{
    return QDir(docDirectoryPath()).filePath(executableName() + "Lib");
}

QString MyDocument::libraryName() const
{
    return "lib" + executableName() + ".a";
}

// --- run settings ---------------------------------------------------------------------------

void MyDocument::setCommandLineArguments(const QString &args)
{
    m_commandLineArguments = args;
    setting("commandLineArguments");
}

void MyDocument::setInputOption(qint64 option)
{
    m_inputOption = option;
    setting("inputOption");
}

QString MyDocument::inputFileName()
{
    if (m_inputFileName.isEmpty())
        return m_inputFileName;
    if (QFileInfo::exists(m_inputFileName)) {
        m_inputFileBookmark = Bookmark::create(m_inputFileName);
        return m_inputFileName;
    }
    if (auto resolved = Bookmark::resolve(m_inputFileBookmark, docDirectoryPath())) {
        m_inputFileName = *resolved;
        m_inputFileBookmark = Bookmark::create(*resolved);
    }
    return m_inputFileName;
}

void MyDocument::setInputFileName(const QString &path)
{
    m_inputFileName = path;
    m_inputFileBookmark = path.isEmpty() ? QByteArray() : Bookmark::create(path);
    setting("inputFileName");
}

QString MyDocument::inputFileDisplayName() const
{
    return m_inputFileName.isNull() ? QString() : QFileInfo(m_inputFileName).fileName();
}

QString MyDocument::contentsOfInputFile(Prompts &prompts)
{
    const QString path = inputFileName();
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        prompts.presentError(QString("The file \"%1\" couldn't be opened: %2")
                                 .arg(QFileInfo(path).fileName(), file.errorString()));
        return QString();
    }
    const QByteArray bytes = file.readAll();
    return QString::fromUtf8(bytes.isNull() ? QByteArray("") : bytes);
}

void MyDocument::setContinuouslyUpdateConsole(bool on)
{
    m_continuouslyUpdateConsole = on;
    setting("continuouslyUpdateConsole");
}

void MyDocument::setModuleAwareRebuilds(bool on)
{
    // The other scheme's stamps are missing or stale: start from clean objects.
    if (on != m_moduleAwareRebuilds)
        m_needsFullRecompile = true;
    m_moduleAwareRebuilds = on;
    setting("moduleAwareRebuilds");
}

// --- notifications --------------------------------------------------------------------------

void MyDocument::setNotifyWhenComplete(bool on)
{
    m_notifyWhenComplete = on;
    setting("notifyWhenComplete");
}

void MyDocument::setNotifyByEmail(bool on)
{
    m_notifyByEmail = on;
    setting("notifyByEmail");
}

void MyDocument::setNotifyByDock(bool on)
{
    m_notifyByDock = on;
    setting("notifyByDock");
}

void MyDocument::setNotificationEmailAddress(const QString &text)
{
    m_notificationEmailAddress = text;
    setting("notificationEmailAddress");
}

void MyDocument::setNotificationHeader(const QString &text)
{
    m_notificationHeader = text;
    setting("notificationHeader");
}

void MyDocument::setNotificationBody(const QString &text)
{
    m_notificationBody = text;
    setting("notificationBody");
}

QVariantMap MyDocument::userNotificationInfo() const
{
    return {{"notifyWhenComplete", m_notifyWhenComplete},
            {"notifyByEmail", m_notifyByEmail},
            {"notifyByDock", m_notifyByDock},
            {"notificationEmailAddress", m_notificationEmailAddress},
            {"notificationHeader", m_notificationHeader},
            {"notificationBody", m_notificationBody}};
}

void MyDocument::setUserNotificationInfo(const QVariantMap &info)
{
    auto text = [&](const char *key) {
        const QVariant v = info.value(key);
        return v.typeId() == QMetaType::QString ? v.toString() : QString("");
    };
    m_notifyWhenComplete = info.value("notifyWhenComplete").toBool();
    m_notifyByEmail = info.value("notifyByEmail").toBool();
    m_notifyByDock = info.value("notifyByDock").toBool();
    m_notificationEmailAddress = text("notificationEmailAddress");
    m_notificationHeader = text("notificationHeader");
    m_notificationBody = text("notificationBody");
    setting("userNotificationInfo");
}

// --- notes, window data ---------------------------------------------------------------------

void MyDocument::addNote(const CorvaneNote &note)
{
    m_notes.append(note);
    documentHasChanged();
}

void MyDocument::removeNoteAtIndex(int index)
{
    if (index < 0 || index >= m_notes.size())
        return;
    m_notes.removeAt(index);
    documentHasChanged();
}

void MyDocument::setNoteAtIndex(int index, const CorvaneNote &note)
{
    if (index < 0 || index >= m_notes.size())
        return;
    m_notes[index] = note;
    documentHasChanged();
}

void MyDocument::setWindowDataProvider(std::function<WindowData()> provider)
{
    m_windowDataProvider = std::move(provider);
}

MyDocument::WindowData MyDocument::windowData() const
{
    if (m_windowDataProvider)
        return m_windowDataProvider();
    return {m_consoleString, m_errorsDictionary, m_shelfFiles,
            m_windowStates.value_or(QVariantMap())};
}

void MyDocument::setProjectIndex(std::shared_ptr<const ProjectIndex> index)
{
    m_projectIndex = std::move(index);
    emit projectIndexChanged();
}

void MyDocument::applyFontToTextStorages()
{
    const Defaults &d = Defaults::instance();
    QFont font(d.stringValue(kFontNameKey));
    if (d.doubleValue(kFontSizeKey) > 0)
        font.setPointSizeF(d.doubleValue(kFontSizeKey));
    for (const FilePtr &f : m_projectFiles)
        if (QTextDocument *storage = f->textStorage())
            storage->setDefaultFont(font);
}

void MyDocument::onDefaultsChanged(const QString &key)
{
    if (key == kFontNameKey || key == kFontSizeKey)
        applyFontToTextStorages();
}

} // namespace corvane
