#include "analysis/ffiledeclarations.h"

namespace corvane
{

namespace
{

std::optional<QStringList> keysOf(const DeclarationMap<FProgramUnit> &map)
{
    if (!map)
        return std::nullopt;
    return map->keys();
}

// The unit that holds declarations for (procedure, module): procedure p of module m, module m,
// or the non-module procedure p.
std::shared_ptr<FProgramUnit> scopeUnit(const FFileDeclarations &file, const QString &p,
                                        const QString &m)
{
    if (!m.isNull()) {
        const auto module = file.moduleNamed(m);
        if (!module || p.isNull())
            return module;
        return lookupDeclaration(module->procedures, p);
    }
    if (!p.isNull())
        return lookupDeclaration(file.nonModuleProcedures, p);
    return nullptr;
}

} // namespace

std::optional<QStringList> FFileDeclarations::moduleNames() const
{
    return keysOf(modules);
}

std::optional<QStringList> FFileDeclarations::nonModuleProcedureNames() const
{
    return keysOf(nonModuleProcedures);
}

std::shared_ptr<FProgramUnit> FFileDeclarations::moduleNamed(const QString &moduleName) const
{
    return lookupDeclaration(modules, moduleName);
}

std::shared_ptr<FProgramUnit> FFileDeclarations::procedureNamed(const QString &procedureName,
                                                                const QString &moduleName) const
{
    if (moduleName.isNull())
        return lookupDeclaration(nonModuleProcedures, procedureName);
    const auto module = moduleNamed(moduleName);
    return module ? lookupDeclaration(module->procedures, procedureName) : nullptr;
}

std::optional<QStringList>
FFileDeclarations::procedureNamesForModule(const QString &moduleName) const
{
    const auto module = moduleNamed(moduleName);
    if (!module)
        return std::nullopt;
    auto names = module->procedureNames();
    if (!names || names->isEmpty())
        return std::nullopt;
    return names;
}

std::optional<QStringList>
FFileDeclarations::variableNamesForProcedure(const QString &procedureName,
                                             const QString &moduleName) const
{
    QStringList names;
    if (!moduleName.isNull()) {
        const auto module = moduleNamed(moduleName);
        if (module) {
            names += module->variableNames().value_or(QStringList());
            if (!procedureName.isNull()) {
                if (const auto p = lookupDeclaration(module->procedures, procedureName))
                    names += p->variableNames().value_or(QStringList());
            }
        }
    } else if (const auto p = lookupDeclaration(nonModuleProcedures, procedureName)) {
        names = p->variableNames().value_or(QStringList());
    }
    if (names.isEmpty())
        return std::nullopt;
    return names;
}

std::shared_ptr<FVariable> FFileDeclarations::variableNamed(const QString &variableName,
                                                            const QString &procedureName,
                                                            const QString &moduleName) const
{
    const auto unit = scopeUnit(*this, procedureName, moduleName);
    return unit ? lookupDeclaration(unit->variables, variableName) : nullptr;
}

std::shared_ptr<FDerivedType> FFileDeclarations::derivedTypeNamed(const QString &typeName,
                                                                  const QString &procedureName,
                                                                  const QString &moduleName) const
{
    const auto unit = scopeUnit(*this, procedureName, moduleName);
    return unit ? lookupDeclaration(unit->types, typeName) : nullptr;
}

std::shared_ptr<FVariable> FFileDeclarations::variableNamed(const QString &variableName,
                                                            const QString &procedureName,
                                                            const QString &moduleName,
                                                            const QString &typeName) const
{
    if (typeName.isNull())
        return variableNamed(variableName, procedureName, moduleName);
    const auto type = derivedTypeNamed(typeName, procedureName, moduleName);
    return type ? lookupDeclaration(type->variables, variableName) : nullptr;
}

QString FFileDeclarations::description() const
{
    const QString fileName = name.isNull() ? QString() : name.section(QLatin1Char('/'), -1);
    QString s = QStringLiteral("\n\nProcedures and variables in file: ") + dumpText(fileName) +
                QLatin1Char('\n');
    if (modules) {
        s += QStringLiteral("\nModules: \n\t");
        for (const auto &entry : *modules) {
            if (const auto m = lookupDeclaration(modules, entry.first))
                s += m->description();
            s += QLatin1Char('\n');
        }
    }
    if (nonModuleProcedures) {
        s += QStringLiteral("\nNon Module Procedures: \n");
        for (const auto &entry : *nonModuleProcedures) {
            s += QStringLiteral("\n*********************\n");
            if (const auto p = lookupDeclaration(nonModuleProcedures, entry.first))
                s += p->description();
            s += QLatin1Char('\n');
        }
    }
    if (submodules) {
        s += QStringLiteral("\nSubmodules: \n\t");
        for (const auto &entry : *submodules) {
            if (const auto m = lookupDeclaration(submodules, entry.first))
                s += m->description();
            s += QLatin1Char('\n');
        }
    }
    return s;
}

} // namespace corvane
