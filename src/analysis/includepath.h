// Path arithmetic for finding included files: a file's folder and a name joined to a folder, on
// the '/'-separated paths the index and the preprocessor hold (no file-system access).
#pragma once

#include <QString>

namespace corvane
{

// The folder of path, empty for a bare file name.
inline QString folderOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? QString() : path.left(slash);
}

// name inside folder; name alone when folder is empty.
inline QString joinPath(const QString &folder, const QString &name)
{
    if (folder.isEmpty())
        return name;
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

} // namespace corvane
