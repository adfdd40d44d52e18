#include "makefilegenerator.h"

#include "build/parser.h"

#include "project/indexpreprocessing.h"
#include "settings/safefile.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

#include <functional>

namespace corvane
{

namespace
{

// The text of a regular file; none for anything else (a FIFO named like a source would block
// the scan until some program writes to it) or a file too large to be a source.
QString readText(const QString &path)
{
    constexpr qint64 kMaxSourceBytes = qint64(1) << 30;
    const Result<QByteArray> bytes = SafeFile::readRegular(path, kMaxSourceBytes);
    return bytes.ok() ? QString::fromUtf8(*bytes) : QString();
}

QString directoryOf(const QString &path)
{
    return QFileInfo(path).path();
}

bool fileExists(const QString &path)
{
    QFileInfo info(path);
    return info.exists() && !info.isDir();
}

QString expandTilde(const QString &path)
{
    if (path == QLatin1String("~"))
        return QDir::homePath();
    if (path.startsWith(QLatin1String("~/")))
        return QDir::homePath() + path.mid(1);
    return path;
}

// Hands f the words of each line from the scanner's position on whose first word is keyword
// (any letter case) and that has more words after it.
template <typename F>
void forEachLineStartingWith(LineScanner &scanner, QStringView keyword, F &&f)
{
    while (!scanner.atEnd()) {
        const std::optional<QStringList> tokens = scanner.tokensFromLineWithKeyword(keyword);
        if (!tokens)
            break;
        if (tokens->size() >= 2 && tokens->at(0).compare(keyword, Qt::CaseInsensitive) == 0)
            f(*tokens);
    }
}

// "submodule (ancestor) name" or "submodule (ancestor:parent) name".
struct SubmoduleHeader {
    QString ancestor, parent, name;
    // The module map's keys: what gfortran calls the submodules' files, less ".smod".
    QString key() const { return (ancestor + QLatin1Char('@') + name).toLower(); }
    QString parentKey() const
    {
        return parent.isEmpty() ? QString() : (ancestor + QLatin1Char('@') + parent).toLower();
    }
};

// Hands each SUBMODULE statement the scanner finds from its position on to f. The scanner splits
// at blanks and colons, so "(m:p)" comes back as the words "(m" and "p)".
template <typename F>
void forEachSubmodule(LineScanner &scanner, F &&f)
{
    static const QRegularExpression header(
        QStringLiteral("^submodule\\s*\\(\\s*([a-z_][a-z0-9_]*)(?:\\s+([a-z_][a-z0-9_]*))?\\s*\\)"
                       "\\s*([a-z_][a-z0-9_]*)"),
        QRegularExpression::CaseInsensitiveOption);
    while (!scanner.atEnd()) {
        const std::optional<QStringList> tokens = scanner.tokensFromLineWithKeyword(u"submodule");
        if (!tokens)
            break;
        const QRegularExpressionMatch m = header.match(tokens->join(QLatin1Char(' ')));
        if (m.hasMatch())
            f(SubmoduleHeader{m.captured(1), m.captured(2), m.captured(3)});
    }
}

} // namespace

// The uses and resolved includes written in one file, before following the includes.
struct MakefileGenerator::DirectScan {
    QStringList uses;
    QStringList includes;
};

// Each file's direct scan, kept for one scan so that a shared include file is read once; and
// the text of a file already read for its MODULE lines, until its own scan takes it.
class MakefileGenerator::ScanCache
{
public:
    QHash<QString, DirectScan> scans;
    QHash<QString, QString> readAhead;

    QString take(const QString &path)
    {
        auto it = readAhead.find(path);
        if (it == readAhead.end())
            return readText(path);
        QString text = std::move(*it);
        readAhead.erase(it);
        return text;
    }
};

MakefileGenerator::MakefileGenerator(MakefileSettings settings)
    : m_settings(std::move(settings)), m_libraryModules{QStringLiteral("mpi"),
                                                        QStringLiteral("iso_fortran_env"),
                                                        QStringLiteral("iso_c_binding"),
                                                        QStringLiteral("ieee_arithmetic"),
                                                        QStringLiteral("ieee_exceptions"),
                                                        QStringLiteral("ieee_features"),
                                                        QStringLiteral("omp_lib"),
                                                        QStringLiteral("omp_lib_kinds")},
      m_preprocessor(preprocessorOptions(m_settings.compilerFlags, m_settings.includeFlags,
                                         m_settings.compilerPath, m_settings.docDirectoryPath))
{
    m_preprocessor.readFile = [](const QString &path) -> std::optional<QString> {
        if (!fileExists(path))
            return std::nullopt;
        return readText(path);
    };
}

bool MakefileGenerator::isIncludeFile(const QString &path) const
{
    return m_settings.includeExtensions.contains(QFileInfo(path).suffix().toLower());
}

std::optional<QStringList> MakefileGenerator::tokensFromLineWithKeyword(QStringView keyword,
                                                                        LineScanner &scanner)
{
    return scanner.tokensFromLineWithKeyword(keyword);
}

MakefileGenerator::DirectScan MakefileGenerator::scanFile(const QString &path, QString text) const
{
    DirectScan scan;
    // The compiler reads a file with directives preprocessed: a use in an inactive branch is no
    // dependency, and #include'd files are prerequisites like INCLUDE files.
    if (FPreprocessor::needsPreprocessing(text)) {
        FPreprocessor::Result preprocessed = FPreprocessor::preprocess(text, path, m_preprocessor);
        text = std::move(preprocessed.text);
        scan.includes = std::move(preprocessed.includedFiles);
    }
    LineScanner scanner(text);
    QSet<QString> seen;
    forEachLineStartingWith(scanner, u"use", [&](const QStringList &tokens) {
        QString name = tokens.at(1);
        const QString nature = name.toLower();
        if (nature == QLatin1String("intrinsic"))
            return;
        // "use, non_intrinsic :: m" names m.
        if (nature == QLatin1String("non_intrinsic")) {
            if (tokens.size() < 3)
                return;
            name = tokens.at(2);
        }
        if (m_libraryModules.contains(name.toLower()) || seen.contains(name))
            return;
        seen.insert(name);
        scan.uses << name;
    });
    // A submodule is compiled against its ancestor's module files, which compiling the
    // ancestor writes: "submodule (m) s" depends on m as a use does, and "submodule (m:parent) s"
    // also on its parent submodule, known to the module map as "m@parent".
    scanner.rewind();
    forEachSubmodule(scanner, [&](const SubmoduleHeader &header) {
        for (const QString &name : {header.ancestor, header.parentKey()}) {
            if (!name.isEmpty() && !seen.contains(name)) {
                seen.insert(name);
                scan.uses << name;
            }
        }
    });
    scanner.rewind();
    forEachLineStartingWith(scanner, u"include", [&](const QStringList &tokens) {
        const QString &quotedName = tokens.at(1);
        if (quotedName.size() < 2)
            return;
        const std::optional<QString> found =
            pathOfIncludefile(quotedName.mid(1, quotedName.size() - 2), path);
        if (found && !scan.includes.contains(*found))
            scan.includes << *found;
    });
    return scan;
}

FileDependencies MakefileGenerator::collectDependencies(const QString &path, ScanCache &cache) const
{
    auto direct = [&](const QString &file) -> const DirectScan & {
        auto it = cache.scans.find(file);
        if (it == cache.scans.end())
            it = cache.scans.insert(file, scanFile(file, cache.take(file)));
        return *it;
    };
    FileDependencies result;
    QSet<QString> modules;
    QSet<QString> visited{path};
    auto addUses = [&](const QStringList &uses) {
        for (const QString &use : uses)
            if (!modules.contains(use)) {
                modules.insert(use);
                result.modules << use;
            }
    };
    // Depth first, in include order; each include file once, so mutual includes end.
    std::function<void(const QString &)> follow = [&](const QString &file) {
        const QStringList includes = direct(file).includes;
        for (const QString &include : includes) {
            if (visited.contains(include))
                continue;
            visited.insert(include);
            result.includeFiles << include;
            addUses(direct(include).uses);
            follow(include);
        }
    };
    addUses(direct(path).uses);
    follow(path);
    return result;
}

FileDependencies MakefileGenerator::dependenciesForFileAndItsIncludes(const QString &path) const
{
    ScanCache cache;
    return collectDependencies(path, cache);
}

DependenciesMap MakefileGenerator::dependenciesForFiles(const QStringList &paths) const
{
    DependenciesMap map;
    ScanCache cache;
    for (const QString &path : paths)
        if (!isIncludeFile(path))
            map.insert(path.toLower(), collectDependencies(path, cache));
    return map;
}

void MakefileGenerator::addModulesOf(const QString &path, const QString &text,
                                     ModuleFilesMap &map) const
{
    LineScanner scanner(text);
    forEachLineStartingWith(scanner, u"module", [&](const QStringList &tokens) {
        const QString name = tokens.at(1).toLower();
        if (name != QLatin1String("procedure"))
            map.insert(name, path);
    });
    scanner.rewind();
    forEachSubmodule(scanner,
                     [&](const SubmoduleHeader &header) { map.insert(header.key(), path); });
}

ModuleFilesMap MakefileGenerator::filesForModuleNames(const QStringList &paths) const
{
    ModuleFilesMap map;
    for (const QString &path : paths)
        if (!isIncludeFile(path))
            addModulesOf(path, readText(path), map);
    return map;
}

MakefileGenerator::ProjectScan MakefileGenerator::scanProject(const QStringList &paths) const
{
    ProjectScan result;
    ScanCache cache;
    for (const QString &path : paths) {
        if (isIncludeFile(path))
            continue;
        QString text = readText(path);
        addModulesOf(path, text, result.moduleFiles);
        // A file another one included has been scanned already; its text is not needed then.
        if (!cache.scans.contains(path))
            cache.readAhead.insert(path, std::move(text));
        result.dependencies.insert(path.toLower(), collectDependencies(path, cache));
    }
    return result;
}

std::optional<QString> MakefileGenerator::pathOfIncludefile(const QString &name,
                                                            const QString &usedInFile) const
{
    const QString here = directoryOf(usedInFile);
    const QString beside = here + QLatin1Char('/') + name;
    if (fileExists(beside))
        return beside;
    if (m_settings.includeFlags.isEmpty())
        return std::nullopt;
    const QStringList tokens = Parser::parseforIncludePaths(m_settings.includeFlags);
    for (const QString &token : tokens) {
        const QString directory = expandTilde(Parser::unquotedPath(token));
        // "./inc" and "../inc" are taken from the including file's folder.
        QString base;
        if (QDir::isAbsolutePath(directory))
            base = QDir::cleanPath(directory);
        else if (directory.contains(QLatin1String("./")))
            base = QDir::cleanPath(here + QLatin1Char('/') + directory);
        else
            base = QDir::cleanPath(QFileInfo(directory).absoluteFilePath());
        const QString candidate = base + QLatin1Char('/') + name;
        if (fileExists(candidate))
            return candidate;
    }
    return std::nullopt;
}

} // namespace corvane
