// FFileDeclarations: every program unit one source file declares, with the lookups that
// completion and declaration search make into it.
#pragma once

#include "analysis/declarationmap.h"
#include "analysis/fprogramunit.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace corvane
{

class FFileDeclarations
{
public:
    QString name; // the file path
    DeclarationMap<FProgramUnit> modules;
    DeclarationMap<FProgramUnit> nonModuleProcedures; // subroutines, functions, main programs
    DeclarationMap<FProgramUnit> submodules;

    // Lower-cased keys; absent when the dictionary is absent.
    std::optional<QStringList> moduleNames() const;
    std::optional<QStringList> nonModuleProcedureNames() const;

    std::shared_ptr<FProgramUnit> moduleNamed(const QString &moduleName) const;
    // With a module name: its contained procedure; with a null module: a non-module procedure.
    std::shared_ptr<FProgramUnit> procedureNamed(const QString &procedureName,
                                                 const QString &moduleName) const;
    // Absent for a null or unknown module, and when the list would be empty.
    std::optional<QStringList> procedureNamesForModule(const QString &moduleName) const;
    // With a module: its variables, then those of procedureName inside it (when given); without:
    // the variables of the non-module procedure. Absent when the result is empty.
    std::optional<QStringList> variableNamesForProcedure(const QString &procedureName,
                                                         const QString &moduleName) const;
    std::shared_ptr<FVariable> variableNamed(const QString &variableName,
                                             const QString &procedureName,
                                             const QString &moduleName) const;
    std::shared_ptr<FDerivedType> derivedTypeNamed(const QString &typeName,
                                                   const QString &procedureName,
                                                   const QString &moduleName) const;
    // A component of typeName when the type is given, else variableNamed(name, p, m).
    std::shared_ptr<FVariable> variableNamed(const QString &variableName,
                                             const QString &procedureName,
                                             const QString &moduleName,
                                             const QString &typeName) const;

    QString description() const;
};

} // namespace corvane
