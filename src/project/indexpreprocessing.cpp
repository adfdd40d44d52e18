#include "project/indexpreprocessing.h"

#include "analysis/fincludesplicer.h"

#include "project/projectindexer.h"
#include "project/sourcetext.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <cstring>

namespace corvane
{

QList<FMacroDefinition> predefinedMacros(const QString &compilerPath)
{
    const QString name = QFileInfo(compilerPath).fileName().toLower();
    auto macro = [](const char *n, const char *body) {
        return FMacroDefinition{QString::fromLatin1(n), std::nullopt, QString::fromLatin1(body)};
    };
    if (name.contains(u"ifx"))
        return {macro("__INTEL_LLVM_COMPILER", "20230000"), macro("__INTEL_COMPILER", "2021")};
    if (name.contains(u"ifort"))
        return {macro("__INTEL_COMPILER", "2021")};
    if (name.isEmpty() || name.contains(u"gfortran"))
        return {macro("__GFORTRAN__", "1"), macro("__GNUC__", "12")};
    return {};
}

FPreprocessor::Options preprocessorOptions(const QString &compilerFlags,
                                           const QString &includeFlags, const QString &compilerPath,
                                           const QString &projectFolder)
{
    FPreprocessor::Options options;
    options.defines = predefinedMacros(compilerPath);
    auto addFolder = [&](const QString &folder) {
        options.includeFolders.append(QDir::isAbsolutePath(folder) || projectFolder.isEmpty()
                                          ? QDir::cleanPath(folder)
                                          : QDir::cleanPath(projectFolder + u'/' + folder));
    };
    const QStringList flagWords = QProcess::splitCommand(compilerFlags);
    const QStringList includeWords = QProcess::splitCommand(includeFlags);
    const QStringList words = flagWords + includeWords;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString &word = words[i];
        if (!word.startsWith(u'-')) {
            // The project keeps its include folders as quoted folder names, each of which the
            // Makefile passes as -I.
            if (i >= flagWords.size() && !word.isEmpty())
                addFolder(word);
            continue;
        }
        if (word.size() < 2)
            continue;
        const QChar kind = word[1];
        if (kind != u'D' && kind != u'U' && kind != u'I')
            continue;
        // "-DNAME" or "-D NAME".
        QString argument = word.mid(2);
        if (argument.isEmpty() && i + 1 < words.size())
            argument = words[++i];
        if (argument.isEmpty())
            continue;
        if (kind == u'D') {
            options.defines.append(FPreprocessor::defineFromFlag(argument));
        } else if (kind == u'U') {
            // -U after a -D of the same name wins, as on the compiler's command line.
            options.defines.removeIf([&](const FMacroDefinition &d) { return d.name == argument; });
        } else {
            addFolder(argument);
        }
    }
    return options;
}

namespace
{

// options with a reader of #include'd and INCLUDE files: its own, else the index's.
FPreprocessor::Options withIncludeReader(const FPreprocessor::Options &options)
{
    FPreprocessor::Options withReader = options;
    if (!withReader.readFile)
        withReader.readFile = [](const QString &file) {
            return ProjectIndexer::readSourceForIndexing(file);
        };
    return withReader;
}

// The source from text, or from preprocessed's text when there is one, with the files of its
// INCLUDE lines spliced in through options' reader.
SourceForIndexing withIncludeFiles(const QString &path, const QString &text,
                                   std::optional<FPreprocessor::Result> preprocessed,
                                   const FPreprocessor::Options &options)
{
    SourceForIndexing source;
    // #include'd files may hold INCLUDE lines of their own, so the test is made again.
    const QString &after = preprocessed ? preprocessed->text : text;
    if (!FIncludeSplicer::mayHaveIncludeLines(after)) {
        // The text moves out of the source map, so that the parser can be its only holder.
        source.text = preprocessed ? std::move(preprocessed->text) : after;
        source.sourceMap = std::move(preprocessed);
        return source;
    }
    FIncludeSplicer::Result spliced = FIncludeSplicer::splice(
        after, path, {options.includeFolders, options.readFile},
        preprocessed ? &*preprocessed : nullptr);
    source.messages = std::move(spliced.messages);
    source.text = std::move(spliced.text);
    source.sourceMap = static_cast<FPreprocessor::Result &&>(std::move(spliced));
    return source;
}

constexpr qint64 kScanPiece = qint64(1) << 20;
constexpr QByteArrayView kByteOrderMark("\xEF\xBB\xBF");

// Whether some line of bytes starts with '#', as FPreprocessor::needsPreprocessing decides it
// for the text; atLineStart says whether bytes start a line.
bool hasDirectiveLine(QByteArrayView bytes, bool atLineStart = true)
{
    const char *const data = bytes.data();
    const auto size = size_t(bytes.size());
    for (const char *at = static_cast<const char *>(std::memchr(data, '#', size)); at;
         at = static_cast<const char *>(std::memchr(at + 1, '#', size - size_t(at + 1 - data))))
        if (at == data ? atLineStart : at[-1] == '\n')
            return true;
    return false;
}

enum class Scan { Plain, Directive, CarriageReturn };

// A pass over the rest of file in pieces, keeping none of them: is there a '\r' (the search
// stops there), or else a line that starts with '#' (the search stops there too; a '\r' later on
// is not seen). A line after a byte order mark at the start counts as a line, whatever the
// encoding turns out to be. None when a read fails.
std::optional<Scan> scanSource(QFile &file)
{
    QByteArray piece(kScanPiece, Qt::Uninitialized);
    bool atLineStart = true;
    bool first = true;
    while (true) {
        const qint64 n = file.read(piece.data(), kScanPiece);
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            return Scan::Plain;
        QByteArrayView bytes(piece.constData(), n);
        if (bytes.contains('\r'))
            return Scan::CarriageReturn;
        if (first && bytes.startsWith(kByteOrderMark))
            bytes = bytes.sliced(kByteOrderMark.size());
        first = false;
        if (hasDirectiveLine(bytes, atLineStart))
            return Scan::Directive;
        atLineStart = bytes.isEmpty() ? atLineStart : bytes.back() == '\n';
    }
}

// The rest of file's bytes, in one buffer of its size.
std::optional<QByteArray> readRest(QFile &file)
{
    QByteArray bytes(qMax<qint64>(0, file.size() - file.pos()), Qt::Uninitialized);
    qint64 filled = 0;
    while (filled < bytes.size()) {
        const qint64 n = file.read(bytes.data() + filled, bytes.size() - filled);
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        filled += n;
    }
    bytes.truncate(filled);
    // A file that grew since its size was taken is read to its end.
    while (true) {
        char piece[4096];
        const qint64 n = file.read(piece, sizeof piece);
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            return bytes;
        bytes.append(piece, n);
    }
}

// As the index reads the source today: decoded whole, line endings normalised, then
// sourceForIndexing.
std::optional<SourceForIndexing> loadFromText(QFile &file, const FPreprocessor::Options &options)
{
    std::optional<QString> text = readDecodedSource(file);
    if (!text)
        return std::nullopt;
    *text = normaliseLineEndings(std::move(*text));
    return sourceForIndexing(file.fileName(), *text, options);
}

} // namespace

SourceForIndexing sourceForIndexing(const QString &path, const QString &text,
                                    const FPreprocessor::Options &options)
{
    const bool directives = FPreprocessor::needsPreprocessing(text);
    if (!directives && !FIncludeSplicer::mayHaveIncludeLines(text))
        return {text, std::nullopt, {}};
    const FPreprocessor::Options withReader = withIncludeReader(options);
    std::optional<FPreprocessor::Result> preprocessed;
    if (directives)
        preprocessed = FPreprocessor::preprocess(text, path, withReader);
    return withIncludeFiles(path, text, std::move(preprocessed), withReader);
}

std::optional<SourceForIndexing> loadSourceForIndexing(QFile &file,
                                                       const FPreprocessor::Options &options)
{
    if (file.isSequential())
        return loadFromText(file, options);
    const qint64 start = file.pos();
    const std::optional<Scan> scan = scanSource(file);
    if (!scan || !file.seek(start))
        return std::nullopt;
    if (*scan != Scan::Directive)
        return loadFromText(file, options);

    std::optional<QByteArray> bytes = readRest(file);
    if (!bytes)
        return std::nullopt;
    // Decoded as readDecodedSource decodes: UTF-8 without its byte order mark, else Latin-1. The
    // file may have changed since the scan, and a '#' after a byte order mark starts a line only
    // in UTF-8: the choice is made again on the bytes.
    const QByteArrayView view(*bytes);
    const bool latin1 = !view.isValidUtf8();
    const bool directives = hasDirectiveLine(
        !latin1 && view.startsWith(kByteOrderMark) ? view.sliced(kByteOrderMark.size()) : view);
    if (view.contains('\r') || !directives) {
        bytes.reset();
        if (!file.seek(start))
            return std::nullopt;
        return loadFromText(file, options);
    }
    const QString path = file.fileName();
    const FPreprocessor::Options withReader = withIncludeReader(options);
    std::optional<FPreprocessor::Result> preprocessed =
        FPreprocessor::preprocess(view, latin1, path, withReader);
    bytes.reset(); // the bytes go before INCLUDE files are spliced in and the text is parsed
    SourceForIndexing source = withIncludeFiles(path, QString(), std::move(preprocessed), withReader);
    source.fromBytes = true;
    return source;
}

std::optional<SourceForIndexing>
loadSourceForIndexing(const QString &path, const FPreprocessor::Options &options, QString *error)
{
    QFile file;
    if (!openSource(file, path, error))
        return std::nullopt;
    std::optional<SourceForIndexing> source = loadSourceForIndexing(file, options);
    if (!source && error)
        *error = sourceReadError(file);
    return source;
}

QString textForIndexing(const QString &path, const QString &text,
                        const FPreprocessor::Options &options)
{
    return sourceForIndexing(path, text, options).text;
}

} // namespace corvane
