// FDerivedType: one derived type definition with its components and bindings.
#pragma once

#include "analysis/declarationmap.h"
#include "analysis/fdefinitioninfo.h"
#include "analysis/fsymbols.h"
#include "analysis/ftypeboundproc.h"
#include "analysis/fvariable.h"

#include <QList>

#include <memory>
#include <optional>

namespace corvane
{

class FProgramUnit;

class FDerivedType
{
public:
    std::weak_ptr<FProgramUnit> definingProgramUnit; // the unit whose specification defines it
    std::shared_ptr<FDefinitionInfo> defInfo;        // not filled by the parser
    QString name;
    QString superclassName;                       // from extends(...)
    std::shared_ptr<FDerivedType> superclassType; // linked by project indexing
    QString interface;                            // not filled by the parser
    QString access;
    std::optional<QStringList> attributes;
    std::optional<QStringList> finalRoutines;
    DeclarationMap<FVariable> variables; // components
    std::optional<QList<std::shared_ptr<FTypeboundProc>>> typeboundProcedures;
    // Keyed by the generic name as written (not lower-cased): the specific binding names.
    std::optional<OrderedMap<QStringList>> genericBindings;
    std::shared_ptr<FSymbols> symbols;

    // Component names in dictionary order; empty when there are none.
    QStringList variableNames() const;
    QString description() const;
};

} // namespace corvane
