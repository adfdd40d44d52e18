// ErrorParser: turns a compiler's error output into per-file diagnostic rows (FindResult) and the
// worst level seen. One reader per message format; the compiler path chooses the reader. Readers
// never fail: text they do not know is passed over, and no diagnostic gives no dictionary.
#pragma once

#include "project/findresult.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace corvane
{

class ErrorParser
{
public:
    enum class Reader { None, GFortran, G95, PGI, Intel, Absoft, AbsoftNew, NAG, Flang, LFortran };

    // Parses the whole error stream of a build (with the one blank the runner puts in front) for
    // the compiler at compilerPath (as stored: a trailing line feed and escaped blanks are
    // allowed). Resets maxErrorLevel first. Loader-only output and unknown compilers give none.
    std::optional<ErrorsDictionary> parseErrorString(const QString &errorText,
                                                     const QString &compilerPath);
    // 0 no diagnostics, 1 only warnings, 2 at least one error.
    quint64 maxErrorLevel() const { return m_maxErrorLevel; }

    // The reader for a compiler path; may run the compiler (MPI wrapper lookup, version text).
    Reader readerForCompiler(const QString &compilerPath);
    // The reader chosen by the name alone (lower-cased path and file name), without running it.
    static Reader readerForName(const QString &lowerPath);
    // The reader a compiler's `--version` text names, or None.
    static Reader readerForVersionText(const QString &versionText);
    // Output that begins with a loader message ("ld:", "/usr/bin/ld:", "collect2:", ...).
    static bool isLoaderOutput(QStringView errorText);

    std::optional<ErrorsDictionary> parseGFortranErrorString(const QString &text);
    std::optional<ErrorsDictionary> parseG95ErrorString(const QString &text);
    std::optional<ErrorsDictionary> parsePGFortranErrorString(const QString &text);
    std::optional<ErrorsDictionary> parseIFortErrorString(const QString &text);
    std::optional<ErrorsDictionary> parseAbsoftErrorString(const QString &text);
    std::optional<ErrorsDictionary> parseAbsoftNewErrorString(const QString &text);
    std::optional<ErrorsDictionary> parseNAGErrorString(const QString &text);
    std::optional<ErrorsDictionary> parseFlangErrorString(const QString &text);
    std::optional<ErrorsDictionary> parseLFortranErrorString(const QString &text);

    // Groups rows (in output order) by filePath: every row is kept, files in order of first
    // appearance, each file's rows sorted by line with same-line rows in output order. Empty: none.
    static std::optional<ErrorsDictionary>
    errorsByFileFromArrayOfErrors(const QList<FindResult> &errors);

    // The real compiler behind a wrapper (mpif90, caf): asks it with "-show", then "--showme"
    // (OpenMPI), and looks the first word up with `which` in the child environment. The path keeps
    // the line end `which` printed, like a stored compiler path. None when nothing answers.
    std::optional<QString> findMpiCompilerTrueNameForCompiler(const QString &compilerPath);
    // Found once per parser by parseErrorString.
    std::optional<QString> mpiCompilerTrueName() const { return m_mpiCompilerTrueName; }

private:
    void addRow(QList<FindResult> &rows, FindResult row, bool warning);
    void raiseLevel(quint64 level);
    std::optional<ErrorsDictionary> finish(const QList<FindResult> &rows);

    quint64 m_maxErrorLevel = 0;
    std::optional<QString> m_mpiCompilerTrueName;
    bool m_mpiLookupDone = false;
    QHash<QString, Reader> m_probedReaders; // compiler path -> reader named by its version text
};

} // namespace corvane
