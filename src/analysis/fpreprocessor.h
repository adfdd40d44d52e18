// FPreprocessor: the C preprocessor as gfortran runs it with -cpp (traditional mode), for reading
// .F/.F90 sources the way the compiler sees them. A pure function of the text, the defines and an
// include reader: it never touches the disk itself.
//
// Directives start in column 1: #define (object-like and function-like), #undef, #ifdef, #ifndef,
// #if/#elif (defined, integer arithmetic, comparisons, logic, ?:), #else, #endif, #include "…"
// (the including file's folder, then the include folders) and <…> (the include folders only);
// other directives are dropped. A directive continues onto the next line after a final "\".
// Macros expand in code, never inside Fortran character literals or "!" comments; C comments
// (/* … */) outside those are removed as the traditional preprocessor removes them, so
// "a/**/b" joins. __FILE__ and __LINE__ give the file as it was named and the line.
//
// Every output line maps to a (file, line) of the input: directive lines and the lines a directive
// or a macro call continues onto become empty output lines, so the main file's lines keep their
// numbers unless an #include splices lines in.
#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <optional>

namespace corvane
{

struct FMacroDefinition {
    QString name;
    std::optional<QStringList> parameters; // absent: object-like
    QString body;
};

class FPreprocessor
{
public:
    // The text of the file at path, or nullopt when there is none.
    using IncludeReader = std::function<std::optional<QString>(const QString &path)>;

    struct Options {
        QList<FMacroDefinition> defines;
        QStringList undefines; // applied after defines, as -U after -D
        QStringList includeFolders;
        IncludeReader readFile; // may be empty: then no #include is found
    };

    struct SourceLine {
        int file = 0; // index into Result::files
        int line = 0; // 1-based
    };

    struct Result {
        QString text;
        QStringList files;         // files[0] is the main file, then each included file
        QList<SourceLine> lineMap; // one entry per output line
        QStringList includedFiles; // paths read by #include, in order, without repeats

        // The index of path in files, added at the end when it is not there yet.
        int fileIndexOf(const QString &path)
        {
            const qsizetype at = files.indexOf(path);
            if (at >= 0)
                return int(at);
            files.append(path);
            return int(files.size() - 1);
        }
    };

    // True when some line of text starts with '#': only such files need preprocessing.
    static bool needsPreprocessing(QStringView text);

    // The definition a -D flag's argument gives: "NAME" is NAME=1, "NAME=VALUE", "F(x)=x+1".
    static FMacroDefinition defineFromFlag(QStringView argument);

    static Result preprocess(const QString &text, const QString &path, const Options &options);
    // The same for the file's bytes, decoded as UTF-8 (a byte order mark at the start dropped)
    // or, with latin1, one character a byte; the result is that of preprocess() of the decoded
    // text, without the decoded text being held whole. Included files are read as text.
    static Result preprocess(QByteArrayView bytes, bool latin1, const QString &path,
                             const Options &options);
};

} // namespace corvane
