// What the index reads of a preprocessed source: the preprocessor's defines and include folders
// from a project's compiler flags (-D, -U, -I) and include flags, plus the macros the chosen
// compiler predefines, and the preprocessed text of a file that holds directives.
#pragma once

#include "analysis/fpreprocessor.h"

#include <QString>

namespace corvane
{

// gfortran (and a compiler path naming none): __GFORTRAN__ 1, __GNUC__ 12; ifort: __INTEL_COMPILER
// 2021; ifx: __INTEL_LLVM_COMPILER 20230000 and __INTEL_COMPILER 2021; other compilers: none.
QList<FMacroDefinition> predefinedMacros(const QString &compilerPath);

// Relative -I folders are taken from projectFolder, where the build runs.
FPreprocessor::Options preprocessorOptions(const QString &compilerFlags,
                                           const QString &includeFlags, const QString &compilerPath,
                                           const QString &projectFolder);

// The text the index parses: text itself when it holds no directive, else the preprocessed text,
// include files read from disk through reader (when options has none).
QString textForIndexing(const QString &path, const QString &text,
                        const FPreprocessor::Options &options);

} // namespace corvane
