#include "analysis/fusestatement.h"

#include "analysis/fprogramunit.h"

namespace corvane
{

namespace
{

bool isAccessWord(const QString &word)
{
    return word.compare(QLatin1String("public"), Qt::CaseInsensitive) == 0 ||
           word.compare(QLatin1String("private"), Qt::CaseInsensitive) == 0;
}

bool isPrivate(const QString &access)
{
    return access.compare(QLatin1String("private"), Qt::CaseInsensitive) == 0;
}

} // namespace

QList<FUseStatement> useStatementsOf(const FProgramUnit &unit)
{
    if (unit.useStatements)
        return *unit.useStatements;
    QList<FUseStatement> uses;
    if (unit.modulesUsed)
        for (const QString &name : *unit.modulesUsed)
            uses.append({name, false, {}});
    return uses;
}

std::optional<QString> nameInUsedModule(const FUseStatement &use, const QString &localKey)
{
    for (const Tuple &t : use.names)
        if (t.name.compare(localKey, Qt::CaseInsensitive) == 0)
            return t.value.toLower();
    if (use.only)
        return std::nullopt;
    for (const Tuple &t : use.names)
        if (t.value.compare(localKey, Qt::CaseInsensitive) == 0)
            return std::nullopt; // renamed away
    return localKey;
}

bool isAccessOnlyEntity(const FVariable &v)
{
    if (v.typeName != FVariable::implicitTypeName || !v.declaredValue.isNull())
        return false;
    if (v.attributes)
        for (const QString &a : *v.attributes)
            if (!isAccessWord(a))
                return false;
    return true;
}

bool isPublicInModule(const QString &access, const FProgramUnit &module)
{
    if (!access.isNull())
        return !isPrivate(access);
    return !isPrivate(module.defaultAccess);
}

bool passesOnImportedName(const FProgramUnit &module, const QString &key)
{
    if (const auto v = lookupDeclaration(module.variables, key))
        if (isAccessOnlyEntity(*v) && !v->access.isNull())
            return !isPrivate(v->access);
    return !isPrivate(module.defaultAccess);
}

} // namespace corvane
