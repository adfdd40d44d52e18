// SafeFile: whole-file writes that report every failed write, flush and close with the system's
// own error text ("No space left on device") and leave the old contents in place when they fail;
// and a bounded, never-blocking read of regular files.
#pragma once

#include "settings/result.h"

#include <QByteArray>
#include <QString>

namespace corvane
{

class SafeFile
{
public:
    // Writes bytes to a temporary file beside path and renames it over path only when every
    // write, the flush and the sync succeeded. On failure path is untouched. Error messages are
    // the reason alone ("No space left on device"); callers name the file.
    static Result<void> replace(const QString &path, const QByteArray &bytes);

    // Writes bytes into path itself (same inode: links and open handles stay valid). The space
    // is reserved before the old contents are touched, so a full disk or a size limit leaves
    // the file as it was. A file that did not exist and could not be written is removed again.
    static Result<void> overwrite(const QString &path, const QByteArray &bytes);

    // Reads a regular file of at most maxBytes. FIFOs, devices and folders are refused without
    // opening them for reading in a way that could block; a larger file is refused with a
    // message naming the limit.
    static Result<QByteArray> readRegular(const QString &path, qint64 maxBytes);

    // True when path is a regular file that holds exactly bytes: a writer can leave it, and its
    // time stamp, alone.
    static bool holds(const QString &path, const QByteArray &bytes);

    // The text of an errno value, as the system words it.
    static QString errorText(int errorNumber);
};

} // namespace corvane
