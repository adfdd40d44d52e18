// FUseStatement: one USE statement as written, and the rules by which names pass through it and
// out of a module again, as the compiler applies them.
#pragma once

#include "analysis/fdefinitioninfo.h"

#include <QList>
#include <QString>

#include <optional>

namespace corvane
{

class FProgramUnit;
class FVariable;

class FUseStatement
{
public:
    QString moduleName; // as written
    bool only = false;  // USE m, ONLY: ...
    // The ONLY items and renames in order: name = the local name, value = the name in the
    // module (the same text when the item is not renamed), both as written.
    QList<Tuple> names;
};

// The use statements of unit: the parsed ones, else one plain USE per modulesUsed entry (records
// built without the parser).
QList<FUseStatement> useStatementsOf(const FProgramUnit &unit);

// The name, lower-cased, under which the module of use knows the local name localKey (lower-cased),
// or none when the statement does not bring that name in: not in its ONLY list, or renamed away
// ("use m, x => y" hides y).
std::optional<QString> nameInUsedModule(const FUseStatement &use, const QString &localKey);

// An entity that exists only because an access statement named it ("public :: x" with x from a
// used module, or declared nowhere): implicit type and no attribute but PUBLIC or PRIVATE.
bool isAccessOnlyEntity(const FVariable &v);

// Whether an entity of module with the given access (as written, or null) is seen by the units
// that use the module: PRIVATE hides, PUBLIC and PROTECTED show, no attribute follows the
// module's default.
bool isPublicInModule(const QString &access, const FProgramUnit &module);
// Whether module passes on a name it gets from its own uses (lower-cased key): its access
// statements decide, else its default.
bool passesOnImportedName(const FProgramUnit &module, const QString &key);

} // namespace corvane
