// Starts the windowed application: the projects named in args (may be none), or with
// "--edit FILE" Corvane's standalone editor for one file.
#pragma once

#include <QStringList>

int runGui(int argc, char **argv, const QStringList &args);
