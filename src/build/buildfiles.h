// File work of a build around `make`: cleaning the build folder, the compiler marker, removing the
// half-written products of an aborted build, the loader part of the error output, and keying
// diagnostics that name a file relative to the build folder by the project file they mean.
#pragma once

#include "project/findresult.h"

#include <QDateTime>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

namespace corvane::buildfiles
{

inline constexpr char kCompilerMarker[] = "CompilerForObjectFiles";
// The module stamps of a module-aware Makefile (NAME.mod.stamp).
inline constexpr char kStampExtension[] = "stamp";

// Removes each entry of buildDir whose extension is exactly "mod", "o", "f90" or "stamp"
// (case-sensitive), except the paths in keep (project sources that happen to live there). Stops at the first
// removal that fails and answers its message; an unreadable folder removes nothing. Null: done.
QString removeObjectFiles(const QString &buildDir, const QSet<QString> &keep = {});

// True when buildDir holds an entry with extension "mod" or "o" (the trash shows full).
bool holdsBuildProducts(const QString &buildDir);

// Removes objects, module files, module stamps and the named products in buildDir modified at or
// after since: what an aborted build may have left half written. Answers the names removed.
QStringList removeProductsWrittenSince(const QString &buildDir, const QDateTime &since,
                                       const QStringList &productNames);

// The compiler marker's text; nullopt when there is no marker. A marker that cannot be read
// gives an error message in *error.
std::optional<QString> readCompilerMarker(const QString &buildDir, QString *error);
// Writes the marker (UTF-8, in place); false on failure.
bool writeCompilerMarker(const QString &buildDir, const QString &compilerPath);

// The loader's part of a build's error output: from the start of the first line that is a loader
// message ("ld: ...", "/usr/bin/ld: ...", "collect2: ...") to the end. Null when there is none.
// A source line quoted in a compiler message ("   field: do i = 1, n") is not a loader line.
QString loaderText(const QString &errorText);

// Gives every diagnostic whose path is relative an absolute one: buildDir/path when that file
// exists, else the first of sourceFolders holding it; rows of the same file are merged and kept
// in line order. Paths that resolve nowhere stay as they are.
ErrorsDictionary keyRelativePaths(const ErrorsDictionary &errors, const QString &buildDir,
                                  const QStringList &sourceFolders);

// "file:line:col: error: text" lines, the form terminals and editors link.
QStringList diagnosticLines(const ErrorsDictionary &errors);

// Where a console line that starts with a compiler's location points: "file:line:col: ...",
// "file:line: ..." or gfortran's "file:line:col:" line above its caret picture. Lines are 1-based;
// the column is 0 when not given. Nothing for any other line ("make: *** ...", "Corvane: ...").
struct DiagnosticLocation {
    QString path;
    quint64 line = 0;
    quint64 column = 0;
    bool operator==(const DiagnosticLocation &) const = default;
};
std::optional<DiagnosticLocation> diagnosticLocation(const QString &consoleLine);

// An absolute path for a path a compiler printed: itself when absolute; else buildDir/path when
// that file exists, else the first of sourceFolders holding it; else the path as it is.
QString resolveDiagnosticPath(const QString &path, const QString &buildDir,
                              const QStringList &sourceFolders);

} // namespace corvane::buildfiles
