// FIncludeSplicer: Fortran INCLUDE lines ("include 'x.inc'", "INCLUDE \"x.inc\"", any case)
// replaced by the lines of the files they name, as the compiler reads them, so that the
// declarations of an included file belong to the unit that includes it. A pure function of the
// text and an include reader, like FPreprocessor, whose line map it continues: every output line
// maps to a (file, line) of the input, so positions stay positions in the files the user sees.
//
// A name is looked for in the folder of the file that holds the INCLUDE line, then in the
// include folders. An included file is spliced as it is (the compiler does not run the C
// preprocessor over INCLUDE files), its own INCLUDE lines too. A file that would include itself
// again (a cycle) and a file that is not found are passed over, each with a message.
#pragma once

#include "analysis/fpreprocessor.h"

#include <QString>
#include <QStringList>
#include <QStringView>

namespace corvane
{

class FIncludeSplicer
{
public:
    struct Options {
        QStringList includeFolders;
        FPreprocessor::IncludeReader readFile; // may be empty: then no file is found
    };

    // The splicing result has the preprocessor's form: text, files, lineMap, includedFiles.
    struct Result : FPreprocessor::Result {
        // "src/a.f90:12: the INCLUDE file 'b.inc' was not found" and the like, in order.
        QStringList messages;
    };

    // True when some line of text may be an INCLUDE line: a cheap test that passes most files.
    static bool mayHaveIncludeLines(QStringView text);

    // The name an INCLUDE line names, or a null string when line is none.
    static QString includedName(QStringView line);

    // Splices the INCLUDE lines of text, the file at path. input, when given, is the result of
    // preprocessing that file (text is then input->text): its line map gives each line's file.
    static Result splice(const QString &text, const QString &path, const Options &options,
                         const FPreprocessor::Result *input = nullptr);
};

} // namespace corvane
