// Bookmark: a byte string that re-finds a file after it was moved or renamed. It holds the path,
// the device and the inode of the file when it was made:
//   "CVBK1\n" DEVICE " " INODE "\n" PATH(UTF-8)
// Resolving never asks anything: it gives the path when a file is still there; else the file with
// the same device and inode in the old folder (a rename); else, below a search root (the project
// folder), the same device and inode (a move), and finally the longest tail of the old path that
// exists below the root (a fresh checkout of the project in another folder).
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace corvane
{

class Bookmark
{
public:
    struct Contents {
        QString path;
        quint64 device = 0;
        quint64 inode = 0;
    };

    // A bookmark of the file at path (a leading "~" is the home directory). An empty byte string
    // when no file is there; then "error creating bookmark for PATH" goes to stderr.
    static QByteArray create(const QString &path);

    // The current path of the bookmarked file, or nullopt. searchRoot (may be empty) bounds the
    // search for moved files.
    static std::optional<QString> resolve(const QByteArray &bookmark,
                                          const QString &searchRoot = QString());

    // The longest tail of oldPath ("src/a.f90", then "a.f90") naming a file below root: how a
    // project checked out again in another folder finds its sources. nullopt when none does.
    static std::optional<QString> findBelow(const QString &oldPath, const QString &root);

    // The parsed bytes, or nullopt for anything that is not a bookmark of ours.
    static std::optional<Contents> parse(const QByteArray &bookmark);

    // "~/x" -> "$HOME/x"; other paths unchanged.
    static QString expandTilde(const QString &path);

    // At most this many directory entries are looked at below the search root.
    static constexpr int kSearchLimit = 20000;
};

} // namespace corvane
