#include "project/projectlookup.h"

#include "analysis/finfoformatter.h"

#include <QFileInfo>

namespace corvane
{

namespace
{

QString lastComponent(const QString &path)
{
    return QFileInfo(path).fileName();
}

// A module's info lists every project module it depends on, deepest first; the index keeps
// only the USE lists as written, so the chain is resolved for the one module shown.
FDeclaration withResolvedUses(const ProjectIndex &index, const FDeclaration &record)
{
    const auto *unit = std::get_if<std::shared_ptr<FProgramUnit>>(&record);
    if (!unit || !*unit || (*unit)->pUnitType != ModuleType)
        return record;
    auto shown = std::make_shared<FProgramUnit>(**unit);
    shown->modulesUsed = resolvedUseChain(index.projectModulesDictionary, shown->name);
    return shown;
}

} // namespace

LookupResult lookupDeclarationInfo(const ProjectIndex &index, const FFileDeclarations *currentFile,
                                   const QString &currentFileName, const LookupScope &scope,
                                   const QSet<QString> &intrinsics)
{
    const QStringList &chain = scope.variableChain;
    if (chain.isEmpty() || chain.first().isEmpty())
        return {};
    if (chain.size() == 1) {
        const QString key = chain.first().toLower();
        if (intrinsics.contains(key))
            return {LookupResult::Intrinsic, key};
        auto unit = index.projectGlobalProceduresDictionary.value(key);
        if (!unit)
            unit = index.projectModulesDictionary.value(key);
        if (unit) {
            const QString file = unit->defInfo ? lastComponent(unit->defInfo->fileSource) : "";
            return {LookupResult::Info,
                    FInfoFormatter::declarationToDisplay(withResolvedUses(index, unit), QString(),
                                                         QString(), QString(), file)};
        }
    }
    if (!currentFile)
        return {};
    DeclarationSearch search(index.projectModulesDictionary);
    const auto scopeChain =
        search.buildScopeSearchChain(scope.procedure, scope.module, *currentFile);
    if (scopeChain.isEmpty())
        return {};
    std::optional<SearchResult> found;
    if (chain.size() >= 2) {
        found = search.objectAndScopeForNameInChain(chain, scopeChain).result;
        if (!found)
            return {};
    }
    if (!found || std::holds_alternative<std::monostate>(found->object))
        found = search.objectAndScopeForName(chain.first(), scopeChain);
    // A result must name the unit it was found in; one without is told by the beep, never read.
    if (!found || !found->programUnit)
        return {};
    QString file = lastComponent(found->fileName.isNull() ? currentFileName : found->fileName);
    // A procedure names the file it stands in, which is another one when an INCLUDE or
    // #include brought it into its unit.
    if (const auto *p = std::get_if<std::shared_ptr<FProgramUnit>>(&found->object);
        p && *p && (*p)->defInfo && !(*p)->defInfo->fileSource.isEmpty())
        file = lastComponent((*p)->defInfo->fileSource);
    QString procedure, module;
    if (found->programUnit->pUnitType == ModuleType)
        module = found->programUnit->name;
    else
        procedure = found->programUnit->name;
    const QString type = found->dType ? found->dType->name : QString();
    const QString text =
        FInfoFormatter::declarationToDisplay(withResolvedUses(index, found->object), procedure,
                                             module, type, file);
    if (text.isNull())
        return {};
    return {LookupResult::Info, text};
}

} // namespace corvane
