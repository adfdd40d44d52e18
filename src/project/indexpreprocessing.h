// What the index reads of a preprocessed source: the preprocessor's defines and include folders
// from a project's compiler flags (-D, -U, -I) and include flags, plus the macros the chosen
// compiler predefines, and the preprocessed text of a file that holds directives.
#pragma once

#include "analysis/fpreprocessor.h"

#include <QString>
#include <QStringList>

#include <optional>

class QFile;

namespace corvane
{

// gfortran (and a compiler path naming none): __GFORTRAN__ 1, __GNUC__ 12; ifort: __INTEL_COMPILER
// 2021; ifx: __INTEL_LLVM_COMPILER 20230000 and __INTEL_COMPILER 2021; other compilers: none.
QList<FMacroDefinition> predefinedMacros(const QString &compilerPath);

// Relative -I folders are taken from projectFolder, where the build runs.
FPreprocessor::Options preprocessorOptions(const QString &compilerFlags,
                                           const QString &includeFlags, const QString &compilerPath,
                                           const QString &projectFolder);

// What the index parses of one source.
struct SourceForIndexing {
    QString text;
    // The file and line of each line of text, when it was preprocessed or INCLUDE files were
    // spliced in; absent when text is the source itself. Its own text is left empty: text holds
    // it, unshared.
    std::optional<FPreprocessor::Result> sourceMap;
    QStringList messages; // INCLUDE files not found, include cycles
    // Whether loadSourceForIndexing preprocessed the file's bytes, never holding its decoded
    // text.
    bool fromBytes = false;
};

// The source the index parses: text itself when it holds no directive and no INCLUDE line;
// else preprocessed, and with the files of its INCLUDE lines spliced in (the folder of the
// including file, then options' include folders). Files are read from disk through
// ProjectIndexer::readSourceForIndexing unless options has a reader.
SourceForIndexing sourceForIndexing(const QString &path, const QString &text,
                                    const FPreprocessor::Options &options);
// The source at path as the index parses it: sourceForIndexing() of its text as
// ProjectIndexer::readSourceForIndexing reads it (line endings normalised). A file with directive
// lines and no '\r' is preprocessed from its bytes, so that its decoded text is never held beside
// the preprocessed one. None, with error set to a message naming the file, when it cannot be
// opened or read.
std::optional<SourceForIndexing>
loadSourceForIndexing(const QString &path, const FPreprocessor::Options &options, QString *error);
// The same from a file open for reading, from its position; none when a read fails
// (file.errorString() says why).
std::optional<SourceForIndexing> loadSourceForIndexing(QFile &file,
                                                       const FPreprocessor::Options &options);

// Its text alone.
QString textForIndexing(const QString &path, const QString &text,
                        const FPreprocessor::Options &options);

} // namespace corvane
