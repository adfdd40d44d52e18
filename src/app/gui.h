// Starts the windowed application with the given project paths (may be empty).
#pragma once

#include <QStringList>

int runGui(int argc, char **argv, const QStringList &projects);
