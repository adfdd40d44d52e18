// The arguments of the commands that act at a place in a project file, as the editor would:
// PROJECT FILE LINE COL [--select N]. LINE and COL count from 1, COL and N in characters; N is
// the selection's length (0, the default, for a caret).
#pragma once

#include "project/textrange.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace corvane
{
class FortranFile;
class MyDocument;
} // namespace corvane

namespace corvane::app
{

struct CursorRequest {
    std::unique_ptr<MyDocument> document;
    std::shared_ptr<FortranFile> file;
    QString text;        // the file's text on disk, with "\n" line ends
    TextRange selection; // in UTF-16 units
    bool fixedForm = false;
};

// Reads the arguments, opens the project and reads the file. On failure the reason goes to
// stderr and status gets the exit status (2 for a usage error, 1 otherwise).
std::optional<CursorRequest> openCursorRequest(const QStringList &args, const char *command,
                                               int &status);

// The project's record of path: the same absolute path, else the only one with its file name.
std::shared_ptr<FortranFile> projectFileFor(const MyDocument &document, const QString &path);

} // namespace corvane::app
