// The passes that tie one finished program unit together: generic bindings, argument re-linking,
// access transfer from attribute statements, FINAL marks, the function result and the USE of
// the host module; and the compaction that shares the finished records' texts.
#include "analysis/ffileparser.h"

namespace corvane
{

void FFileParser::assignBindingRenames(FProgramUnit &unit)
{
    if (unit.interfaces) {
        for (const auto &entry : *unit.interfaces) {
            for (const Tuple &t : entry.second) {
                if (const auto p = lookupDeclaration(unit.procedures, t.value))
                    p->genericName = t.name;
            }
        }
    }
    if (!unit.types)
        return;
    for (const auto &typeEntry : *unit.types) {
        const auto &type = typeEntry.second;
        if (!type || !type->genericBindings)
            continue;
        for (const auto &generic : *type->genericBindings) {
            for (const QString &specific : generic.second) {
                if (const auto p = lookupDeclaration(unit.procedures, specific))
                    p->genericName = generic.first;
                if (!type->typeboundProcedures)
                    continue;
                for (const auto &binding : *type->typeboundProcedures) {
                    if (binding->name == specific)
                        binding->bindingName = generic.first;
                }
            }
        }
    }
}

void FFileParser::cleanUpProgramUnit(FProgramUnit &unit, const QString &resultName)
{
    // Dummy arguments become the variables their declarations created.
    if (unit.variables && unit.arguments) {
        for (auto &argument : *unit.arguments) {
            if (auto declared = lookupDeclaration(unit.variables, argument->name))
                argument = std::move(declared);
        }
    }

    if (unit.types) {
        for (const auto &typeEntry : *unit.types) {
            const auto &type = typeEntry.second;
            if (!type || !type->finalRoutines)
                continue;
            for (const QString &routine : *type->finalRoutines) {
                if (const auto p = lookupDeclaration(unit.procedures, routine)) {
                    if (!p->attributes)
                        p->attributes.emplace();
                    p->attributes->append(QStringLiteral("FINAL"));
                }
            }
        }
    }

    // Entities known only from attribute statements that name a contained procedure, a type or
    // a generic name hand their access over to it and disappear.
    if (unit.variables) {
        const QStringList names = unit.variableNames().value_or(QStringList());
        for (const QString &name : names) {
            const auto v = lookupDeclaration(unit.variables, name);
            if (!v || v->typeName != FVariable::implicitTypeName)
                continue;
            if (const auto p = lookupDeclaration(unit.procedures, name)) {
                p->access = v->access;
                unit.variables->remove(name.toLower());
                continue;
            }
            if (const auto t = lookupDeclaration(unit.types, name)) {
                t->access = v->access;
                unit.variables->remove(name.toLower());
                continue;
            }
            bool matched = false;
            if (unit.procedures) {
                for (const auto &entry : *unit.procedures) {
                    if (entry.second->genericName == name) {
                        entry.second->access = v->access;
                        matched = true;
                    }
                }
            }
            if (matched)
                unit.variables->remove(name.toLower());
        }
        if (unit.variables->isEmpty())
            unit.variables.reset();
    }

    if (unit.pUnitType == FunctionType && !unit.returnVariable)
        unit.returnVariable =
            lookupDeclaration(unit.variables, resultName.isNull() ? unit.name : resultName);
}

void FFileParser::cleanUsesOfModuleName(const QString &hostName, FProgramUnit &unit)
{
    if (!unit.modulesUsed || hostName.isNull())
        return;
    for (qsizetype i = 0; i < unit.modulesUsed->size(); ++i) {
        if (unit.modulesUsed->at(i).compare(hostName, Qt::CaseInsensitive) == 0) {
            unit.modulesUsed->removeAt(i);
            break;
        }
    }
    if (!unit.useStatements)
        return;
    for (qsizetype i = 0; i < unit.useStatements->size(); ++i) {
        if (unit.useStatements->at(i).moduleName.compare(hostName, Qt::CaseInsensitive) == 0) {
            unit.useStatements->removeAt(i);
            return;
        }
    }
}

void FFileParser::takeOverInterface(FProgramUnit &implementation, const FProgramUnit &interface)
{
    const bool separate = implementation.attributes && implementation.attributes->size() == 1 &&
                          implementation.attributes->first().compare(QLatin1String("module"),
                                                                     Qt::CaseInsensitive) == 0;
    if (implementation.pUnitType == NoUnitType)
        implementation.pUnitType = interface.pUnitType;
    if (separate && implementation.argumentList.isNull()) {
        implementation.argumentList = interface.argumentList;
        implementation.arguments = interface.arguments;
        implementation.returnVariable = interface.returnVariable;
        if (implementation.languageBinding.isNull())
            implementation.languageBinding = interface.languageBinding;
        // The dummy arguments and the result are names of the body, as if declared there.
        auto declare = [&implementation](const std::shared_ptr<FVariable> &v) {
            if (v && !lookupDeclaration(implementation.variables, v->name))
                storeDeclaration(implementation.variables, v->name, v);
        };
        if (interface.arguments)
            for (const auto &argument : *interface.arguments)
                declare(argument);
        declare(interface.returnVariable);
    }
    if (implementation.genericName.isNull())
        implementation.genericName = interface.genericName;
    if (implementation.access.isNull())
        implementation.access = interface.access;
}

namespace
{

void compactText(QString &text, StringPool &pool)
{
    text = pool.intern(text);
}

void compactList(std::optional<QStringList> &list, StringPool &pool)
{
    if (list)
        *list = pool.intern(*list);
}

// Squeezes the map and hands each present value to compact.
template <typename T, typename Compact> void compactMap(DeclarationMap<T> &map, Compact compact)
{
    if (!map)
        return;
    map->squeeze();
    for (auto &entry : *map) {
        if (entry.second)
            compact(*entry.second);
    }
}

// Types are few: every text is taken from the pool here rather than where it is read.
void compactType(FDerivedType &type, StringPool &pool)
{
    compactText(type.name, pool);
    compactText(type.superclassName, pool);
    compactText(type.access, pool);
    compactList(type.attributes, pool);
    compactList(type.finalRoutines, pool);
    compactMap(type.variables, [&pool](FVariable &v) { compactList(v.attributes, pool); });
    if (type.typeboundProcedures) {
        type.typeboundProcedures->squeeze();
        for (const auto &binding : *type.typeboundProcedures) {
            compactText(binding->name, pool);
            compactText(binding->bindingName, pool);
            compactList(binding->attributes, pool);
        }
    }
    if (type.genericBindings) {
        type.genericBindings->squeeze();
        for (auto &generic : *type.genericBindings)
            generic.second = pool.intern(generic.second);
    }
}

} // namespace

// The single texts of units and variables (names, types, values, access, argument lists) were
// taken from the pool where they were read; their lists are shared here, once the unit can no
// longer change. Contained procedures were compacted when they finished; of them only the
// attributes this unit's passes may have added since are left to share.
void FFileParser::compactUnit(FProgramUnit &unit)
{
    compactList(unit.modulesUsed, m_pool);
    compactList(unit.attributes, m_pool);
    // USE lists grow one statement and one name at a time; a module of many uses would keep
    // up to half its lists' room unused.
    if (unit.useStatements) {
        unit.useStatements->squeeze();
        for (FUseStatement &use : *unit.useStatements)
            use.names.squeeze();
    }
    const auto compactVariable = [this](FVariable &v) { compactList(v.attributes, m_pool); };
    compactMap(unit.variables, compactVariable);
    if (unit.arguments) {
        unit.arguments->squeeze();
        for (const auto &argument : *unit.arguments)
            compactVariable(*argument);
    }
    if (unit.returnVariable)
        compactVariable(*unit.returnVariable);
    compactMap(unit.types, [this](FDerivedType &t) { compactType(t, m_pool); });
    if (unit.interfaces)
        unit.interfaces->squeeze();
    compactMap(unit.procedures, [this](FProgramUnit &p) { compactList(p.attributes, m_pool); });
}

} // namespace corvane
