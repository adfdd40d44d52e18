#include "buildfiles.h"

#include "errorparser.h"
#include "settings/safefile.h"

#include <QDir>
#include <QRegularExpression>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace corvane::buildfiles
{

namespace
{

// The part after the last dot, as written; "" when there is none.
QString extensionOf(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1);
}

QStringList entriesOf(const QString &dir)
{
    return QDir(dir).entryList(
        QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace

QString removeObjectFiles(const QString &buildDir, const QSet<QString> &keep)
{
    const QDir dir(buildDir);
    for (const QString &name : entriesOf(buildDir)) {
        const QString ext = extensionOf(name);
        if (ext != QLatin1String("mod") && ext != QLatin1String("o") &&
            ext != QLatin1String("f90") && ext != QLatin1String(kStampExtension))
            continue;
        const QString path = dir.filePath(name);
        if (keep.contains(QDir::cleanPath(path)))
            continue;
        const QFileInfo info(path);
        const bool removed = info.isDir() && !info.isSymLink() ? QDir(path).removeRecursively()
                                                               : QFile::remove(path);
        if (!removed)
            return QStringLiteral("\u201c%1\u201d couldn\u2019t be removed.").arg(name);
    }
    return QString();
}

bool holdsBuildProducts(const QString &buildDir)
{
    const QStringList entries = entriesOf(buildDir);
    return std::any_of(entries.begin(), entries.end(), [](const QString &name) {
        const QString ext = extensionOf(name);
        return ext == QLatin1String("mod") || ext == QLatin1String("o");
    });
}

QStringList removeProductsWrittenSince(const QString &buildDir, const QDateTime &since,
                                       const QStringList &productNames)
{
    QStringList removed;
    const QDir dir(buildDir);
    for (const QString &name :
         dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name)) {
        const QString ext = extensionOf(name);
        const bool candidate = ext == QLatin1String("o") || ext == QLatin1String("mod") ||
                               ext == QLatin1String("smod") ||
                               ext == QLatin1String(kStampExtension) ||
                               productNames.contains(name);
        if (!candidate)
            continue;
        const QFileInfo info(dir.filePath(name));
        if (info.lastModified() >= since && QFile::remove(info.filePath()))
            removed << name;
    }
    return removed;
}

std::optional<QString> readCompilerMarker(const QString &buildDir, QString *error)
{
    const QString path = QDir(buildDir).filePath(QLatin1String(kCompilerMarker));
    if (!QFileInfo::exists(path))
        return std::nullopt;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("The file \u201c%1\u201d couldn\u2019t be opened: %2")
                         .arg(QLatin1String(kCompilerMarker), f.errorString());
        return QString();
    }
    return QString::fromUtf8(f.readAll());
}

bool writeCompilerMarker(const QString &buildDir, const QString &compilerPath)
{
    // Written after every build: left alone when it already names the compiler.
    const QString path = QDir(buildDir).filePath(QLatin1String(kCompilerMarker));
    const QByteArray bytes = compilerPath.toUtf8();
    return SafeFile::holds(path, bytes) || SafeFile::overwrite(path, bytes).ok();
}

QString loaderText(const QString &errorText)
{
    qsizetype start = 0;
    while (start < errorText.size()) {
        qsizetype end = errorText.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = errorText.size();
        const QStringView line = QStringView(errorText).sliced(start, end - start);
        if (line.contains(QLatin1String("ld:")) || line.contains(QLatin1String("collect2:"))) {
            if (ErrorParser::isLoaderOutput(line)) {
                // The runner puts one blank in front of the whole error text.
                while (start < end && errorText[start].isSpace())
                    ++start;
                return errorText.mid(start);
            }
        }
        start = end + 1;
    }
    return QString();
}

QString resolveDiagnosticPath(const QString &path, const QString &buildDir,
                              const QStringList &sourceFolders)
{
    if (path.isEmpty() || QDir::isAbsolutePath(path))
        return path;
    const QString inBuild = QDir::cleanPath(QDir(buildDir).filePath(path));
    if (QFileInfo(inBuild).isFile())
        return inBuild;
    for (const QString &folder : sourceFolders) {
        const QString candidate = QDir::cleanPath(QDir(folder).filePath(path));
        if (QFileInfo(candidate).isFile())
            return candidate;
    }
    return path;
}

std::optional<DiagnosticLocation> diagnosticLocation(const QString &consoleLine)
{
    // A path without blanks or colons, the line, an optional column (gfortran may print a
    // column range "7-12"), and a colon that ends the line or is followed by a blank.
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\s*([^\s:][^\s:]*):(\d+)(?::(\d+)(?:-\d+)?)?:(?:\s|$))"));
    const QRegularExpressionMatch m = pattern.match(consoleLine);
    if (!m.hasMatch())
        return std::nullopt;
    bool ok = false;
    DiagnosticLocation at;
    at.path = m.captured(1);
    at.line = m.captured(2).toULongLong(&ok);
    static const QRegularExpression digits(QStringLiteral("^\\d+$"));
    if (!ok || at.line == 0 || digits.match(at.path).hasMatch()) // "12:30:05" is a time
        return std::nullopt;
    at.column = m.captured(3).toULongLong();
    return at;
}

ErrorsDictionary keyRelativePaths(const ErrorsDictionary &errors, const QString &buildDir,
                                  const QStringList &sourceFolders)
{
    auto resolve = [&](const QString &path) {
        return resolveDiagnosticPath(path, buildDir, sourceFolders);
    };

    ErrorsDictionary keyed;
    bool merged = false;
    for (const auto &[path, rows] : errors) {
        const QString resolved = resolve(path);
        QList<FindResult> moved = rows;
        for (FindResult &row : moved)
            if (row.filePath == path)
                row.filePath = resolved;
        if (QList<FindResult> *existing = keyed.find(resolved)) {
            *existing += moved;
            merged = true;
        } else {
            keyed.insert(resolved, moved);
        }
    }
    if (merged) {
        for (auto &entry : keyed)
            std::stable_sort(entry.second.begin(), entry.second.end(),
                             [](const FindResult &a, const FindResult &b) {
                                 return a.lineNumber < b.lineNumber;
                             });
    }
    return keyed;
}

QStringList diagnosticLines(const ErrorsDictionary &errors)
{
    QStringList lines;
    for (const auto &[path, rows] : errors) {
        for (const FindResult &row : rows) {
            if (row.resultType != 1)
                continue;
            const QString level =
                row.errorType == 1 ? QStringLiteral("warning") : QStringLiteral("error");
            QString message = row.lineText.simplified();
            // gfortran's own "Error: " or "Warning: " would repeat the level.
            if (message.startsWith(level + QLatin1Char(':'), Qt::CaseInsensitive))
                message = message.mid(level.size() + 1).trimmed();
            lines << QStringLiteral("%1:%2:%3: %4: %5")
                         .arg(path, QString::number(row.lineNumber),
                              QString::number(row.columnNumber), level, message);
        }
    }
    return lines;
}

} // namespace corvane::buildfiles
