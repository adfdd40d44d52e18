// ProjectLookup: what "Show declaration information" shows for a name at the cursor, worked out
// over a published ProjectIndex: an intrinsic, a project module or global procedure by name, or
// a search through the scope chain (with a component chain for a%b%c). The window shows the text
// (or the intrinsic's page); NotFound is where it beeps.
#pragma once

#include "project/projectindex.h"

#include <QSet>
#include <QString>
#include <QStringList>

namespace corvane
{

struct LookupScope {
    QString procedure;         // enclosing procedure, or null
    QString module;            // enclosing module, or null
    QStringList variableChain; // the selected name first, then back to the base variable
};

struct LookupResult {
    enum Kind { Info, Intrinsic, NotFound };
    Kind kind = NotFound;
    QString text; // the info text, or the intrinsic's lower-cased name
};

// currentFile: the merged declarations of the file the cursor is in (may be null);
// currentFileName: its path, used when a hit carries no file of its own.
LookupResult lookupDeclarationInfo(const ProjectIndex &index, const FFileDeclarations *currentFile,
                                   const QString &currentFileName, const LookupScope &scope,
                                   const QSet<QString> &intrinsics);

} // namespace corvane
