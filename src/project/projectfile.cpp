// Reading and writing the project file: a keyed archive whose root is a dictionary of settings,
// the file list with a bookmark per file, notes, the window state and the last diagnostics.
#include "mydocument.h"

#include "project/archivecoders.h"
#include "project/bookmark.h"
#include "project/keyedarchive.h"
#include "project/projectlocation.h"
#include "project/prompts.h"
#include "project/windowstate.h"
#include "settings/defaults.h"
#include "settings/safefile.h"

#include <QFileInfo>
#include <QRectF>
#include <QSet>

#include <algorithm>

namespace corvane
{

namespace
{

namespace key
{
const char consoleText[] = "consoleText";
const char errorsDictionary[] = "errorsDictionary";
const char projectNotes[] = "ProjectNotes";
const char projectCompilerPath[] = "ProjectCompilerPath";
const char fileList[] = "fileList";
const char fileBookmarks[] = "fileBookmarks";
const char debugCompilerFlags[] = "debugCompilerFlags";
const char debugLinkerFlags[] = "debugLinkerFlags";
const char releaseCompilerFlags[] = "releaseCompilerFlags";
const char releaseLinkerFlags[] = "releaseLinkerFlags";
const char isDebugBuild[] = "isDebugBuild";
const char inputFileName[] = "inputFileName";
const char inputFileBookmark[] = "inputFileBookmark";
const char inputOption[] = "inputOption";
const char includeFlags[] = "includeFlags";
const char numberOfProcessors[] = "numberOfProcessors";
const char compiler[] = "compiler";
const char continuouslyUpdateConsole[] = "ContinuouslyUpdateConsole";
const char compileForLibrary[] = "compileForLibrary";
const char moduleAwareRebuilds[] = "moduleAwareRebuilds";
const char windowStates[] = "windowStates";
const char shelf[] = "bookmarkFilesForShelf";
const char userNotificationInfo[] = "userNotificationInfo";
const char commandLineArguments[] = "commandLineArguments";
const char legacyCompilerFlags[] = "compilerFlags";
const char legacyLinkerFlags[] = "linkerFlags";
// Where the project file was saved, and the paths of files inside that folder relative to it: a
// copied or moved project folder finds its own files first (ProjectLocation).
const char savedDirectoryPath[] = "savedDirectoryPath";
const char relativeFileList[] = "relativeFileList";
const char relativeInputFileName[] = "relativeInputFileName";
const char relativeShelf[] = "relativeBookmarkFilesForShelf";
} // namespace key

const char kMissingFilesMessage[] =
    "The following files could no longer be found and are removed from the project:";
const char kDamagedListMessage[] = "The list of files in this project is damaged.";
const char kDamagedListInfo[] =
    "%1 holds settings but no readable file list. It is not saved over, so that the files can "
    "still be recovered from it.";
const char kMissingInputMessage[] = "The input file has been moved or its name has been changed. "
                                    "Find it and re-add to the project.";

// Typed reads: a value of the wrong type counts as missing.
std::optional<QString> stringAt(const QVariantMap &m, const char *k)
{
    const QVariant v = m.value(k);
    if (v.typeId() == QMetaType::QString)
        return v.toString();
    return std::nullopt;
}

std::optional<qint64> integerAt(const QVariantMap &m, const char *k)
{
    const QVariant v = m.value(k);
    switch (v.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Bool:
        return v.toLongLong();
    case QMetaType::Double:
        return qint64(v.toDouble());
    default:
        return std::nullopt;
    }
}

// Integer settings are read as 32-bit values.
std::optional<qint64> int32At(const QVariantMap &m, const char *k)
{
    if (auto v = integerAt(m, k))
        return qint64(qint32(*v));
    return std::nullopt;
}

std::optional<bool> boolAt(const QVariantMap &m, const char *k)
{
    if (auto v = integerAt(m, k))
        return *v != 0;
    return std::nullopt;
}

// Without a window: toolbar and options pane shown, the console tab, a zero frame.
QVariantMap defaultWindowStates()
{
    WindowState state;
    state.showToolbar = true;
    state.showOptionsPane = true;
    return state.toDictionary();
}

} // namespace

Result<std::unique_ptr<MyDocument>> MyDocument::open(const QString &path, Prompts &prompts)
{
    auto doc = std::make_unique<MyDocument>();
    if (Result<void> r = doc->read(path, prompts); !r)
        return Error{r.error()};
    return doc;
}

Result<void> MyDocument::read(const QString &path, Prompts &prompts)
{
    // Only a regular file is read, and only up to the largest archive the decoder takes: a FIFO
    // or a link to a device must neither block nor fill the memory.
    const Result<QByteArray> loaded = SafeFile::readRegular(path, KeyedArchive::kMaxBytes);
    if (!loaded)
        return Error{QString("cannot open %1: %2").arg(path, loaded.error())};
    const QByteArray &bytes = *loaded;
    // Everything is decoded and checked before any field changes, so a bad file leaves the
    // document as it was.
    Result<QVariant> decoded = KeyedArchive::decode(bytes);
    if (!decoded)
        return Error{QString("cannot open %1: %2").arg(path, decoded.error())};
    if (decoded->typeId() != QMetaType::QVariantMap)
        return Error{QString("cannot open %1: the archive does not hold a project "
                             "(its root is not a dictionary)")
                         .arg(path)};
    const QVariantMap root = decoded->toMap();
    m_fileName = QFileInfo(path).absoluteFilePath();
    m_diskState = diskState();
    const QString searchRoot = docDirectoryPath();
    const ProjectLocation location(stringAt(root, key::savedDirectoryPath).value_or(QString()),
                                   searchRoot);

    if (auto v = stringAt(root, key::consoleText))
        m_consoleString = *v;
    if (root.contains(key::errorsDictionary)) {
        m_errorsDictionary = errorsDictionaryFromVariant(root.value(key::errorsDictionary));
        location.relocate(*m_errorsDictionary);
    }
    for (const QVariant &n : root.value(key::projectNotes).toList())
        if (n.typeId() == QMetaType::fromType<CorvaneNote>().id())
            m_notes.append(n.value<CorvaneNote>());

    // The configuration flags come before the compiler path, whose compiler number reads them.
    m_debugCompilerFlags = stringAt(root, key::debugCompilerFlags).value_or(QString());
    m_debugLinkerFlags = stringAt(root, key::debugLinkerFlags).value_or(QString());
    m_releaseCompilerFlags = stringAt(root, key::releaseCompilerFlags).value_or(QString());
    m_releaseLinkerFlags = stringAt(root, key::releaseLinkerFlags).value_or(QString());
    if (auto v = stringAt(root, key::legacyCompilerFlags))
        m_releaseCompilerFlags = *v;
    if (auto v = stringAt(root, key::legacyLinkerFlags))
        m_releaseLinkerFlags = *v;
    m_isDebugBuild = boolAt(root, key::isDebugBuild).value_or(false);
    m_projectCompilerPath = stringAt(root, key::projectCompilerPath)
                                .value_or(Defaults::instance().stringValue("compilerPath"));
    m_compiler = compilerNumber();
    m_compiler = int32At(root, key::compiler).value_or(m_compiler);
    m_inputOption = int32At(root, key::inputOption).value_or(m_inputOption);
    m_numberOfProcessors = std::clamp<qint64>(
        int32At(root, key::numberOfProcessors).value_or(m_numberOfProcessors), 1, kMaxProcessors);
    m_includeFlags = location.relocatedIncludeFlags(
        stringAt(root, key::includeFlags).value_or(QString()));
    m_continuouslyUpdateConsole =
        boolAt(root, key::continuouslyUpdateConsole).value_or(m_continuouslyUpdateConsole);
    if (auto v = boolAt(root, key::compileForLibrary))
        m_compileForLibrary = *v;
    m_moduleAwareRebuilds = boolAt(root, key::moduleAwareRebuilds).value_or(true);
    if (root.value(key::windowStates).typeId() == QMetaType::QVariantMap)
        m_windowStates = root.value(key::windowStates).toMap();
    if (root.value(key::shelf).typeId() == QMetaType::QVariantList) {
        QStringList shelf;
        for (const QVariant &s : root.value(key::shelf).toList())
            if (s.typeId() == QMetaType::QString)
                shelf << s.toString();
        m_shelfFiles = location.relocatedList(shelf, root.value(key::relativeShelf).toList());
    }
    if (root.contains(key::userNotificationInfo)) {
        const QVariantMap info = root.value(key::userNotificationInfo).toMap();
        setUserNotificationInfo(info);
    }
    m_commandLineArguments = stringAt(root, key::commandLineArguments).value_or(QString());

    // The file list and its bookmarks are always written together, and only when there are
    // files; a list of the wrong type, or bookmarks without a list, means the list was damaged,
    // not that the project is empty.
    const std::optional<QString> storedList = stringAt(root, key::fileList);
    const bool listUnreadable = root.contains(key::fileList) && !storedList;
    const bool bookmarksWithoutList = (!storedList || storedList->isEmpty()) &&
                                      !root.value(key::fileBookmarks).toList().isEmpty();
    m_fileListDamaged = listUnreadable || bookmarksWithoutList;
    if (m_fileListDamaged)
        prompts.alert(kDamagedListMessage, QString(kDamagedListInfo).arg(path));

    // The file list: in a project folder that was copied or moved, a file is looked for first at
    // its relative place; then at its stored path; a path that is gone is looked for through its
    // bookmark, then below the project folder by the tail of its old path.
    const QString list = stringAt(root, key::fileList).value_or(QString());
    const QVariantList bookmarks = root.value(key::fileBookmarks).toList();
    QStringList missing;
    QSet<QString> taken;
    const QStringList paths = list.split('\n');
    // Entries stay index-aligned with the list; a list that does not line up is not used.
    const QVariantList relative = root.value(key::relativeFileList).toList();
    const bool relativeAligned = relative.size() == paths.size();
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const QString &p = paths[i];
        if (p.isEmpty())
            continue;
        std::optional<QString> found;
        if (relativeAligned)
            found = location.relocated(relative[i].toString());
        if (!found && QFileInfo::exists(p))
            found = p;
        else if (!found && i < bookmarks.size() && bookmarks[i].typeId() == QMetaType::QByteArray)
            found = Bookmark::resolve(bookmarks[i].toByteArray(), searchRoot);
        if (!found)
            found = Bookmark::findBelow(p, searchRoot);
        if (found && !taken.contains(*found)) {
            taken.insert(*found);
            m_projectFiles.append(std::make_shared<FortranFile>(*found));
        } else if (!found) {
            missing << p;
        }
    }
    if (!missing.isEmpty()) {
        QString info;
        for (qsizetype i = 0; i < missing.size(); ++i)
            info += QString("(%1) %2\n\n").arg(QString::number(i + 1), missing[i]);
        prompts.beep();
        prompts.alert(kMissingFilesMessage, info);
    }

    if (auto name = stringAt(root, key::inputFileName)) {
        const QVariant stored = root.value(key::inputFileBookmark);
        std::optional<QString> resolved;
        if (stored.typeId() == QMetaType::QByteArray)
            resolved = Bookmark::resolve(stored.toByteArray(), searchRoot);
        const std::optional<QString> moved =
            location.relocated(stringAt(root, key::relativeInputFileName).value_or(QString()));
        if (moved || (!name->isEmpty() && QFileInfo::exists(*name))) {
            m_inputFileName = moved.value_or(*name);
            m_inputFileBookmark = Bookmark::create(m_inputFileName);
        } else if (resolved || (resolved = Bookmark::findBelow(*name, searchRoot))) {
            m_inputFileName = *resolved;
            m_inputFileBookmark = stored.typeId() == QMetaType::QByteArray
                                      ? stored.toByteArray()
                                      : Bookmark::create(*resolved);
        } else {
            m_inputFileName.clear();
            m_inputFileBookmark.clear();
            prompts.alert(kMissingInputMessage, QString("Name: %1").arg(*name));
        }
    }

    m_needsFullRecompile = false;
    sortProjectFiles();
    m_changeCount = 0;
    emit fileListDidChange();
    emit changed();
    return {};
}

Result<void> MyDocument::write(const QString &path)
{
    if (m_fileListDamaged && QFileInfo(path).absoluteFilePath() == m_fileName)
        return Error{QString("cannot save %1: its file list is damaged, and saving would "
                             "replace it with the files that could be read")
                         .arg(path)};
    const WindowData window = windowData();
    const Defaults &defaults = Defaults::instance();
    // Relative paths are taken from the folder the file is written to (a save under a new name
    // may change it).
    const QString folder = QFileInfo(path).absolutePath();
    QVariantMap root;
    root.insert(key::savedDirectoryPath, folder);
    if (defaults.boolValue("saveConsoleSessions") && !window.consoleText.isEmpty())
        root.insert(key::consoleText, window.consoleText);
    if (window.errorsDictionary && !window.errorsDictionary->isEmpty())
        root.insert(key::errorsDictionary, errorsDictionaryToVariant(*window.errorsDictionary));
    if (!m_notes.isEmpty()) {
        QVariantList notes;
        for (const CorvaneNote &n : m_notes)
            notes << QVariant::fromValue(n);
        root.insert(key::projectNotes, notes);
    }
    const QString compilerPath = !m_projectCompilerPath.isEmpty()
                                     ? m_projectCompilerPath
                                     : defaults.stringValue("compilerPath");
    if (!compilerPath.isEmpty())
        root.insert(key::projectCompilerPath, compilerPath);

    if (!m_projectFiles.isEmpty()) {
        QStringList paths;
        QVariantList bookmarks;
        for (const FilePtr &f : m_projectFiles) {
            if (auto resolved = Bookmark::resolve(f->bookmark(), docDirectoryPath())) {
                paths << *resolved;
                bookmarks << f->bookmark();
            } else {
                paths << f->filePath();
                bookmarks << Bookmark::create(f->filePath()); // empty when none: lists stay aligned
            }
        }
        root.insert(key::fileList, paths.join('\n'));
        root.insert(key::fileBookmarks, bookmarks);
        root.insert(key::relativeFileList, ProjectLocation::relativeEntries(folder, paths));
    }

    auto optionalString = [&](const char *k, const QString &value) {
        if (!value.isNull())
            root.insert(k, value);
    };
    optionalString(key::debugCompilerFlags, m_debugCompilerFlags);
    optionalString(key::debugLinkerFlags, m_debugLinkerFlags);
    optionalString(key::releaseCompilerFlags, m_releaseCompilerFlags);
    optionalString(key::releaseLinkerFlags, m_releaseLinkerFlags);
    root.insert(key::isDebugBuild, m_isDebugBuild);
    if (!m_inputFileName.isEmpty()) {
        root.insert(key::inputFileName, m_inputFileName);
        const bool resolves =
            Bookmark::resolve(m_inputFileBookmark, docDirectoryPath()).has_value();
        root.insert(key::inputFileBookmark,
                    resolves ? m_inputFileBookmark : Bookmark::create(m_inputFileName));
        if (auto relative = ProjectLocation::relativeInside(folder, m_inputFileName))
            root.insert(key::relativeInputFileName, *relative);
    }
    root.insert(key::inputOption, m_inputOption);
    optionalString(key::includeFlags, m_includeFlags);
    root.insert(key::numberOfProcessors, m_numberOfProcessors);
    root.insert(key::compiler, m_compiler);
    root.insert(key::continuouslyUpdateConsole, m_continuouslyUpdateConsole);
    if (m_compileForLibrary)
        root.insert(key::compileForLibrary, *m_compileForLibrary);
    root.insert(key::moduleAwareRebuilds, m_moduleAwareRebuilds);
    root.insert(key::windowStates,
                window.windowStates.isEmpty() ? defaultWindowStates() : window.windowStates);
    if (window.shelfFiles && !window.shelfFiles->isEmpty()) {
        root.insert(key::shelf, *window.shelfFiles);
        root.insert(key::relativeShelf,
                    ProjectLocation::relativeEntries(folder, *window.shelfFiles));
    }
    root.insert(key::userNotificationInfo, userNotificationInfo());
    optionalString(key::commandLineArguments, m_commandLineArguments);

    Result<QByteArray> bytes = KeyedArchive::encode(root);
    if (!bytes)
        return Error{QString("cannot save %1: %2").arg(path, bytes.error())};
    // Written to a temporary file and renamed over the old one: a crash or a full disk never
    // leaves half a project.
    if (Result<void> saved = SafeFile::replace(path, *bytes); !saved)
        return Error{QString("cannot save %1: %2").arg(path, saved.error())};
    m_fileName = QFileInfo(path).absoluteFilePath();
    m_fileListDamaged = false;
    m_diskState = diskState();
    markUnchanged();
    return {};
}

Result<void> MyDocument::keepDamagedCopy()
{
    const QString copy = m_fileName + ".damaged";
    const Result<QByteArray> bytes = SafeFile::readRegular(m_fileName, KeyedArchive::kMaxBytes);
    if (!bytes)
        return Error{QString("cannot copy %1: %2").arg(m_fileName, bytes.error())};
    if (Result<void> saved = SafeFile::replace(copy, *bytes); !saved)
        return Error{QString("cannot save %1: %2").arg(copy, saved.error())};
    m_fileListDamaged = false;
    return {};
}

} // namespace corvane
