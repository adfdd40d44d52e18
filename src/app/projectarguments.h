// Source arguments of the project commands (new, add): files and folders named on the command
// line, turned into absolute paths of the files a project takes.
#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

namespace corvane::app
{

// Each file as an absolute path; each folder expanded to the files below it whose extension is in
// extensions (compared lower-cased). nullopt, with error set, when an argument names nothing.
std::optional<QStringList>
sourcePathsFromArguments(const QStringList &args, const QSet<QString> &extensions, QString &error);

} // namespace corvane::app
