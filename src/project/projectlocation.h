// ProjectLocation: where a project file was saved and where it is opened now. A project folder
// that was copied or moved (a second checkout, a variant made by copying) keeps its layout, so a
// file stored as "src/a.f90" relative to the saved folder is looked for first at the same place
// below the folder the project file is in now, even when the old absolute path still exists.
// Opened where it was saved, or without a saved folder (older project files), nothing moves.
#pragma once

#include "project/findresult.h"

#include <QString>
#include <QStringList>
#include <QVariantList>

#include <optional>

namespace corvane
{

class ProjectLocation
{
public:
    // savedDirectory: the folder the project file was saved in (null for older files);
    // currentDirectory: the folder that holds it now.
    ProjectLocation(const QString &savedDirectory, const QString &currentDirectory);

    // The project file is opened from another folder than the one it was saved in.
    bool isMoved() const { return m_moved; }

    // The file at relativePath below the current folder when the project moved and a file is
    // there; nullopt otherwise (the caller then falls back to the stored absolute path).
    std::optional<QString> relocated(const QString &relativePath) const;

    // The same for a stored absolute path: its place relative to the saved folder, found below
    // the current one. Paths outside the saved folder are never relocated.
    std::optional<QString> relocatedPath(const QString &absolutePath) const;

    // stored with each entry replaced by its relocated form when relative (index-aligned with
    // stored, "" for an entry outside the folder) lines up and the file is found; else stored.
    QStringList relocatedList(const QStringList &stored, const QVariantList &relative) const;

    // Diagnostics of files inside the saved folder moved to the relocated files.
    void relocate(ErrorsDictionary &errors) const;

    // Include directories inside the saved folder rewritten to the current folder where that
    // directory exists; quoting, blanks and every other directory are kept as written.
    QString relocatedIncludeFlags(const QString &flags) const;

    // path relative to directory when path lies inside it ("src/a.f90"), also when one of them is
    // reached through a symbolic link; nullopt for a path outside it or equal to it.
    static std::optional<QString> relativeInside(const QString &directory, const QString &path);
    // relativeInside for each path, "" for those outside: the stored form of a path list.
    static QStringList relativeEntries(const QString &directory, const QStringList &paths);

private:
    QString m_saved;
    QString m_current;
    bool m_moved = false;
};

} // namespace corvane
