// Where a build's product goes: it stays in the build folder, where make finds it up to date, and
// the executable beside the project (or the library in its folder) is a hard link to it or a copy
// of it, replaced only when the build changed it.
#pragma once

#include <QString>

#include <optional>

namespace corvane::productplacement
{

// What identifies one version of a built file: a relink or a re-archive changes at least one.
struct FileVersion {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    bool operator==(const FileVersion &) const = default;
};
// Nothing when there is no regular file at path.
std::optional<FileVersion> versionOf(const QString &path);

enum class Placement { Unchanged, Replaced, Failed };

// Makes placed hold the content of built, unless it already does: the same file (a hard link) or
// a copy of the same size and modification time. A new version is written under a temporary name
// beside placed and renamed over it, so placed is never half written and a running program keeps
// its old file. With hardLink, a hard link is tried first and a copy made where the file system
// refuses one; a copy keeps built's modification time. On failure *error names what went wrong.
Placement placeProduct(const QString &built, const QString &placed, bool hardLink, QString *error);

} // namespace corvane::productplacement
