// corvane index PROJECT [--time] [--json] [--symbols]: indexes a project as its window does and
// prints what was found. `corvane index` hands its arguments here when one names a ".corvane" file.
#pragma once

#include <QStringList>

namespace corvane::app
{

int indexProjectCommand(const QStringList &args);
// True when args name a project file, so that the project form of the command applies.
bool namesProjectFile(const QStringList &args);

} // namespace corvane::app
