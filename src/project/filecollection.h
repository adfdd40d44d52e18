// Collecting source files below a folder by extension, for adding files to a project.
#pragma once

#include <QChar>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

namespace corvane
{

class Prompts;

// A folder: every file of its subtree (in listing order) whose lower-cased extension begins with
// start; entries whose path relative to the folder begins with "." or contains "DS_Store" are
// skipped. A file: the file itself when its extension qualifies. nullopt when the path is missing,
// a file does not qualify, or listing fails (then the error goes to prompts, when given).
std::optional<QStringList> filePathsWithExtensionStart(QChar start, const QString &path,
                                                       Prompts *prompts = nullptr);
// The same with a set of lower-case extensions.
std::optional<QStringList> filePathsWithExtensionInSet(const QSet<QString> &extensions,
                                                       const QString &path,
                                                       Prompts *prompts = nullptr);

} // namespace corvane
