// Where Corvane finds the files it ships beside the executable (icons, the README). The rule is
// the same in an installed tree (PREFIX/bin/corvane, PREFIX/share/...) and in the build folder
// (build/src/corvane, build/share/..., staged by the build), so neither needs a compiled-in path.
#pragma once

#include <QString>

namespace corvane
{

// executableDir/../share/relative, cleaned; the path whether or not the file exists.
QString sharePathFrom(const QString &executableDir, const QString &relative);

// The running program's share/relative when that file exists, else a null string.
// Needs a QCoreApplication (it asks for the executable's folder).
QString installedSharePath(const QString &relative);

} // namespace corvane
