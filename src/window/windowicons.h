// The window's icons, drawn as vector paths at whatever size and pixel ratio they are shown,
// so they stay sharp on HiDPI screens without an image plugin.
#pragma once

#include <QIcon>

namespace corvane
{

enum class IconName {
    Build,
    Run,
    Abort,
    Back,
    Forward,
    AddFile,
    NewFile,
    RemoveFile,
    OptionsPane,
    TrashEmpty,   // Clean: the build folder holds no objects
    TrashFull,    // Clean: the build folder holds objects or module files
    FileModified, // the file list's mark for unsaved edits
    FileLost,     // the file list's mark for a file that cannot be found
    AddBookmark,  // the shelf's add button: a bookmark ribbon with a plus
};

QIcon corvaneIcon(IconName name);

} // namespace corvane
