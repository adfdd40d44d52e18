// FDefinitionInfo: where a declaration was found. Tuple: one (generic name, specific name) pair of
// a named interface block.
#pragma once

#include <QString>

namespace corvane
{

struct FDefinitionInfo {
    QString fileSource;      // path of the source file
    QString procedureSource; // never filled by the parser
};

struct Tuple {
    QString name;  // the generic name as written
    QString value; // one specific procedure name
};

} // namespace corvane
