#include "project/indexpreprocessing.h"

#include "analysis/fincludesplicer.h"

#include "project/projectindexer.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

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

SourceForIndexing sourceForIndexing(const QString &path, const QString &text,
                                    const FPreprocessor::Options &options)
{
    const bool directives = FPreprocessor::needsPreprocessing(text);
    const bool includes = FIncludeSplicer::mayHaveIncludeLines(text);
    if (!directives && !includes)
        return {text, std::nullopt, {}};
    FPreprocessor::IncludeReader reader = options.readFile;
    if (!reader)
        reader = [](const QString &file) { return ProjectIndexer::readSourceForIndexing(file); };

    SourceForIndexing source;
    std::optional<FPreprocessor::Result> preprocessed;
    if (directives) {
        FPreprocessor::Options withReader = options;
        withReader.readFile = reader;
        preprocessed = FPreprocessor::preprocess(text, path, withReader);
    }
    // #include'd files may hold INCLUDE lines of their own, so the test is made again.
    const QString &after = preprocessed ? preprocessed->text : text;
    if (!FIncludeSplicer::mayHaveIncludeLines(after)) {
        // The text moves out of the source map, so that the parser can be its only holder.
        source.text = preprocessed ? std::move(preprocessed->text) : after;
        source.sourceMap = std::move(preprocessed);
        return source;
    }
    FIncludeSplicer::Result spliced = FIncludeSplicer::splice(
        after, path, {options.includeFolders, reader}, preprocessed ? &*preprocessed : nullptr);
    source.messages = std::move(spliced.messages);
    source.text = std::move(spliced.text);
    source.sourceMap = static_cast<FPreprocessor::Result &&>(std::move(spliced));
    return source;
}

QString textForIndexing(const QString &path, const QString &text,
                        const FPreprocessor::Options &options)
{
    return sourceForIndexing(path, text, options).text;
}

} // namespace corvane
