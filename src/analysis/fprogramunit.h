// FProgramUnit: a module, subroutine, function or main program, top-level or contained, with
// everything its specification part and header declare.
#pragma once

#include "analysis/declarationmap.h"
#include "analysis/fdefinitioninfo.h"
#include "analysis/fderivedtype.h"
#include "analysis/fsymbols.h"
#include "analysis/fusestatement.h"
#include "analysis/fvariable.h"

#include <QList>
#include <QStringList>

#include <memory>
#include <optional>
#include <variant>

namespace corvane
{

// Values of FProgramUnit::pUnitType.
enum ProgramUnitType : unsigned {
    NoUnitType = 0,
    ModuleType = 1,
    SubroutineType = 2,
    FunctionType = 3,
    MainProgramType = 4,
    SubmoduleType = 5, // a submodule: a module's extension, with the module as its host
};

class FProgramUnit;

// What objectWithName finds: nothing, a variable, a contained procedure or a derived type.
using FDeclaration = std::variant<std::monostate, std::shared_ptr<FVariable>,
                                  std::shared_ptr<FProgramUnit>, std::shared_ptr<FDerivedType>>;

class FProgramUnit
{
public:
    std::weak_ptr<FProgramUnit> definingProgramUnit; // host of a contained procedure
    unsigned pUnitType = NoUnitType;
    // The 1-based line of the unit's header in defInfo's file (an INCLUDE or #include file when
    // the header stands in one); 0 when unknown.
    int line = 0;
    QString name;
    // A submodule's ancestor module, as written: "points" in "submodule (points:points_a) b".
    QString ancestorName;
    QString genericName; // the generic name this procedure is a specific of, or null
    std::shared_ptr<FDefinitionInfo> defInfo;
    std::optional<QStringList> modulesUsed;
    // The USE statements as written, in order (ONLY lists and renames).
    std::optional<QList<FUseStatement>> useStatements;
    DeclarationMap<FVariable> variables;
    DeclarationMap<FDerivedType> types;
    DeclarationMap<FProgramUnit> procedures;
    std::optional<QList<std::shared_ptr<FVariable>>> arguments;
    std::optional<QStringList> attributes;
    QString argumentList;    // "(a,b)", "()", or null when the header has no parentheses
    QString languageBinding; // "bind(c,name='f')"
    std::shared_ptr<FVariable> returnVariable;
    std::optional<OrderedMap<QList<Tuple>>> interfaces; // lower-cased generic name -> specifics
    AccessText access;
    // A module's default access from a bare PRIVATE or PUBLIC statement, as written; null when
    // there is none (PUBLIC).
    AccessText defaultAccess;
    bool isInterface = false; // declared by an interface body, not defined here
    std::shared_ptr<FSymbols> symbols;

    FProgramUnit() = default;
    FProgramUnit(const FProgramUnit &) = default;
    FProgramUnit &operator=(const FProgramUnit &) = default;
    ~FProgramUnit(); // iterative, so that deeply nested procedures free without deep recursion

    // Display names indexed by pUnitType.
    static const QStringList &programUnitTypeNames();

    std::optional<QStringList> variableNames() const;
    std::optional<QStringList> procedureNames() const;
    std::optional<QStringList> typeNames() const;
    // For a module: the variable names of its contained procedure called name.
    std::optional<QStringList> variableNamesForProcedureNamed(const QString &name) const;
    // A variable, else a contained procedure, else a type of that name.
    FDeclaration objectWithName(const QString &name) const;
    // Completion entries ("name(!^, !^)", "generic(a = !^)") for the contained procedures of one
    // unit type, in dictionary order; absent when the unit contains no procedures.
    std::optional<QStringList> procedureNamesOfType(unsigned unitType,
                                                    bool showArgumentLists) const;
    // Text dump; empty for a unit of type None.
    QString description() const;
};

// The argument suffix of a completion entry. With argument lists shown, "(a,b)" becomes
// "(a = !^,b = !^)" (")" only gains its marker when argumentCount > 0); otherwise one "!^"
// placeholder per argument: "(!^, !^)". Null when there is nothing to add.
QString completionSuffixForArguments(const QString &argumentList, qsizetype argumentCount,
                                     bool showArgumentLists);

} // namespace corvane
