#include "analysis/declarationsearch.h"

namespace corvane
{

namespace
{

bool isFound(const FDeclaration &d)
{
    return !std::holds_alternative<std::monostate>(d);
}

QString fileOf(const FProgramUnit &unit)
{
    return unit.defInfo ? unit.defInfo->fileSource : QString();
}

void setIfNotEmpty(FSymbols::NameSet &set, const std::optional<QStringList> &names)
{
    if (names && !names->isEmpty())
        set = QSet<QString>(names->begin(), names->end());
}

// The access attribute of a declaration, as written (null when it has none).
QString accessOf(const FDeclaration &d)
{
    if (const auto *v = std::get_if<std::shared_ptr<FVariable>>(&d))
        return *v ? (*v)->access.text() : QString();
    if (const auto *p = std::get_if<std::shared_ptr<FProgramUnit>>(&d))
        return *p ? (*p)->access.text() : QString();
    if (const auto *t = std::get_if<std::shared_ptr<FDerivedType>>(&d))
        return *t ? (*t)->access : QString();
    return QString();
}

bool isAccessOnly(const FDeclaration &d)
{
    const auto *v = std::get_if<std::shared_ptr<FVariable>>(&d);
    return v && *v && isAccessOnlyEntity(**v);
}

std::shared_ptr<FSymbols> mergeOrAbsent(std::shared_ptr<FSymbols> s)
{
    if (!s->variableNames && !s->functionProcedureNames && !s->subroutineProcedureNames &&
        !s->typeNames && !s->variablesThatAreDerivedTypes)
        return nullptr;
    return s;
}

// The completion entry of a PASS binding: the passed object (first dummy) is left out.
QString passedBindingSuffix(const FProgramUnit &procedure, bool showArgumentLists)
{
    const qsizetype count = procedure.arguments ? procedure.arguments->size() : 0;
    if (count < 2)
        return QStringLiteral("()");
    QString suffix = QStringLiteral("(");
    const auto &args = *procedure.arguments;
    for (qsizetype i = 1; i + 1 < count; ++i)
        suffix +=
            showArgumentLists ? args[i]->name + QStringLiteral(" = !^,") : QStringLiteral("!^,");
    suffix += showArgumentLists ? args[count - 1]->name + QStringLiteral(" = !^)")
                                : QStringLiteral("!^)");
    return suffix;
}

void addName(FSymbols::NameSet &set, const QString &name)
{
    if (!set)
        set.emplace();
    set->insert(name);
}

} // namespace

QString symbolsIndexKey(const QString &moduleName, const QString &procedureName)
{
    const bool hasModule = !moduleName.isEmpty();
    const bool hasProcedure = !procedureName.isEmpty();
    if (hasModule && (!hasProcedure || moduleName == procedureName))
        return QStringLiteral("Module_") + moduleName.toLower();
    if (hasModule)
        return procedureName.toLower() + QStringLiteral("_in_") + moduleName.toLower();
    if (hasProcedure)
        return QStringLiteral("Procedure_") + procedureName.toLower();
    return QString();
}

DeclarationSearch::DeclarationSearch(const ModulesDictionary &allModules, bool showArgumentLists)
    : m_allModules(allModules), m_showArgumentLists(showArgumentLists)
{
}

std::shared_ptr<FProgramUnit> DeclarationSearch::module(const QString &name) const
{
    if (name.isNull())
        return nullptr;
    return m_allModules.value(name.toLower());
}

QList<std::shared_ptr<FProgramUnit>>
DeclarationSearch::buildScopeSearchChain(const QString &procedure, const QString &module,
                                         const FFileDeclarations &declarations) const
{
    const auto global = lookupDeclaration(declarations.nonModuleProcedures, procedure);
    if (!global && !module.isNull()) {
        if (const auto m = lookupDeclaration(declarations.modules, module)) {
            if (const auto p = lookupDeclaration(m->procedures, procedure))
                return {p, m};
            return {m};
        }
        // In a submodule the names of its ancestor module are seen as the host's.
        if (const auto sm = lookupDeclaration(declarations.submodules, module)) {
            QList<std::shared_ptr<FProgramUnit>> chain;
            if (const auto p = lookupDeclaration(sm->procedures, procedure))
                chain.append(p);
            chain.append(sm);
            if (const auto ancestor = sm->definingProgramUnit.lock())
                chain.append(ancestor);
            return chain;
        }
    }
    if (global)
        return {global};
    return {};
}

std::optional<SearchResult>
DeclarationSearch::objectAndScopeForName(const QString &name,
                                         const QList<std::shared_ptr<FProgramUnit>> &chain) const
{
    for (const auto &unit : chain) {
        if (!unit)
            continue;
        FDeclaration hit = unit->objectWithName(name);
        if (isFound(hit))
            return SearchResult{std::move(hit), unit, QString(), nullptr};
    }
    QSet<QString> visited;
    const QString key = name.toLower();
    for (const auto &unit : chain)
        if (unit)
            if (auto r = searchUses(key, *unit, visited))
                return r;
    return std::nullopt;
}

std::optional<SearchResult>
DeclarationSearch::objectAndScopeForNameInModule(const QString &name,
                                                 const QString &moduleName) const
{
    QSet<QString> visited;
    return searchExported(name.toLower(), moduleName.toLower(), visited);
}

std::optional<SearchResult> DeclarationSearch::searchUses(const QString &key,
                                                          const FProgramUnit &unit,
                                                          QSet<QString> &visited) const
{
    for (const FUseStatement &use : useStatementsOf(unit))
        if (const auto inModule = nameInUsedModule(use, key))
            if (auto r = searchExported(*inModule, use.moduleName.toLower(), visited))
                return r;
    return std::nullopt;
}

// Depth first through the modules used; a module already asked for the same name (a USE cycle,
// or one reached twice) is not searched again. A PRIVATE entity of the module hides the name from
// its users; an entity made only by an access statement ("public :: x") is the access of a name
// its uses bring in, and only when none does is it the answer itself.
std::optional<SearchResult> DeclarationSearch::searchExported(const QString &key,
                                                              const QString &moduleKey,
                                                              QSet<QString> &visited) const
{
    const QString visit = moduleKey + QLatin1Char(' ') + key;
    if (visited.contains(visit))
        return std::nullopt;
    visited.insert(visit);
    const auto m = m_allModules.value(moduleKey);
    if (!m)
        return std::nullopt;
    FDeclaration hit = m->objectWithName(key);
    if (isFound(hit) && !isAccessOnly(hit)) {
        if (!isPublicInModule(accessOf(hit), *m))
            return std::nullopt;
        return SearchResult{std::move(hit), m, fileOf(*m), nullptr};
    }
    if (!passesOnImportedName(*m, key))
        return std::nullopt;
    if (auto r = searchUses(key, *m, visited))
        return r;
    if (isFound(hit))
        return SearchResult{std::move(hit), m, fileOf(*m), nullptr};
    return std::nullopt;
}

std::optional<SearchResult> DeclarationSearch::objectAndScopeForNameInDerivedType(
    const QString &name, const std::shared_ptr<FDerivedType> &type,
    const std::shared_ptr<FProgramUnit> &unit) const
{
    QSet<const FDerivedType *> visited;
    return searchDerivedType(name.toLower(), type, unit, visited);
}

std::optional<SearchResult>
DeclarationSearch::searchDerivedType(const QString &n, const std::shared_ptr<FDerivedType> &type,
                                     const std::shared_ptr<FProgramUnit> &unit,
                                     QSet<const FDerivedType *> &visited) const
{
    if (!type || !unit || visited.contains(type.get()))
        return std::nullopt;
    visited.insert(type.get());
    if (auto component = lookupDeclaration(type->variables, n))
        return SearchResult{component, unit, fileOf(*unit), type};
    if (type->typeboundProcedures) {
        for (const auto &binding : *type->typeboundProcedures) {
            if (!binding)
                continue;
            const bool matches =
                (!binding->bindingName.isNull() && binding->bindingName.toLower() == n) ||
                binding->name.toLower() == n;
            if (!matches)
                continue;
            if (auto p = lookupDeclaration(unit->procedures, binding->name))
                return SearchResult{p, unit, fileOf(*unit), type};
        }
    }
    if (!type->superclassName.isEmpty()) {
        // The parent as the unit's USE statements bring it in (renamed, too).
        QSet<QString> modulesVisited;
        const auto parent = searchUses(type->superclassName.toLower(), *unit, modulesVisited);
        const auto *parentType =
            parent ? std::get_if<std::shared_ptr<FDerivedType>>(&parent->object) : nullptr;
        if (parentType && *parentType)
            return searchDerivedType(n, *parentType, parent->programUnit, visited);
    }
    return std::nullopt;
}

ChainSearchResult DeclarationSearch::objectAndScopeForNameInChain(
    const QStringList &chain, const QList<std::shared_ptr<FProgramUnit>> &scopeChain) const
{
    const ChainSearchResult fail{std::nullopt, true};
    if (chain.size() < 2)
        return {chain.isEmpty() ? std::nullopt : objectAndScopeForName(chain.first(), scopeChain),
                false};
    // The type named by a variable's declaration, seen from scope; null when it is not a type.
    auto typeOf = [this](const QString &typeName, const QList<std::shared_ptr<FProgramUnit>> &scope,
                         std::shared_ptr<FProgramUnit> &unit) -> std::shared_ptr<FDerivedType> {
        const auto hit = objectAndScopeForName(typeName, scope);
        if (!hit)
            return nullptr;
        const auto *t = std::get_if<std::shared_ptr<FDerivedType>>(&hit->object);
        if (!t || !*t)
            return nullptr;
        unit = hit->programUnit;
        return *t;
    };

    const auto base = objectAndScopeForName(chain.last(), scopeChain);
    const auto *baseVariable =
        base ? std::get_if<std::shared_ptr<FVariable>>(&base->object) : nullptr;
    if (!baseVariable || !*baseVariable)
        return fail;
    std::shared_ptr<FProgramUnit> unit;
    std::shared_ptr<FDerivedType> type = typeOf((*baseVariable)->typeName, scopeChain, unit);
    if (!type)
        return fail;
    for (qsizetype n = chain.size() - 2; n >= 1; --n) {
        auto component = lookupDeclaration(type->variables, chain[n]);
        if (!component) {
            if (type->superclassName.isEmpty())
                return fail;
            std::shared_ptr<FProgramUnit> parentUnit;
            auto parent = typeOf(type->superclassName, {unit}, parentUnit);
            if (!parent)
                return fail;
            type = parent;
            unit = parentUnit;
            component = lookupDeclaration(type->variables, chain[n]);
            if (!component)
                continue;
        }
        std::shared_ptr<FProgramUnit> nextUnit;
        auto next = typeOf(component->typeName, {unit}, nextUnit);
        if (!next)
            return fail;
        type = next;
        unit = nextUnit;
    }
    return {objectAndScopeForNameInDerivedType(chain.first(), type, unit), false};
}

std::shared_ptr<FProgramUnit>
DeclarationSearch::moduleForDerivedTypeName(const QString &typeName, const FProgramUnit &unit) const
{
    Q_UNUSED(typeName);
    if (!unit.modulesUsed || unit.modulesUsed->isEmpty())
        return nullptr;
    return module(unit.modulesUsed->first());
}

SymbolTables &DeclarationSearch::tables()
{
    if (!m_tables)
        m_tables = std::make_shared<SymbolTables>(m_allModules, m_showArgumentLists);
    return *m_tables;
}

std::shared_ptr<FSymbols> DeclarationSearch::symbolsForProgramUnit(const FProgramUnit &unit)
{
    return flattenSymbols(*tables().scopeFor(unit));
}

std::shared_ptr<FSymbols> DeclarationSearch::symbolsForModule(const FProgramUnit &unit)
{
    return flattenSymbols(*tables().scopeFor(unit));
}

std::shared_ptr<FSymbols>
DeclarationSearch::symbolsForUsedModules(const std::optional<QStringList> &names)
{
    if (!names || names->isEmpty())
        return nullptr;
    QList<const SymbolScope *> modules;
    for (const QString &name : *names)
        modules.append(tables().moduleScope(name));
    return exportedSymbols(modules);
}

std::optional<QStringList>
DeclarationSearch::derivedTypeVariableNames(const QList<std::shared_ptr<FVariable>> &variables)
{
    QStringList names;
    for (const auto &v : variables)
        if (v && v->isDerivedType)
            names.append(v->name);
    if (names.isEmpty())
        return std::nullopt;
    return names;
}

std::shared_ptr<FSymbols>
DeclarationSearch::symbolsForDerivedType(const FDerivedType &type,
                                         const std::shared_ptr<FProgramUnit> &unit)
{
    QSet<const FDerivedType *> visited;
    return derivedTypeSymbols(type, unit, visited);
}

std::shared_ptr<FSymbols>
DeclarationSearch::derivedTypeSymbols(const FDerivedType &type,
                                      const std::shared_ptr<FProgramUnit> &unit,
                                      QSet<const FDerivedType *> &visited)
{
    if (visited.contains(&type))
        return nullptr; // a type that is its own ancestor
    visited.insert(&type);
    auto s = std::make_shared<FSymbols>();
    setIfNotEmpty(s->variableNames, type.variableNames());
    if (type.variables)
        setIfNotEmpty(s->variablesThatAreDerivedTypes,
                      derivedTypeVariableNames(type.variables->values()));
    if (type.typeboundProcedures) {
        for (const auto &binding : *type.typeboundProcedures) {
            if (!binding || binding->name.isEmpty())
                continue;
            QString entry = binding->bindingName.isEmpty() ? binding->name : binding->bindingName;
            const auto procedure =
                unit ? lookupDeclaration(unit->procedures, binding->name) : nullptr;
            if (procedure && !procedure->argumentList.isNull()) {
                if (binding->pass) {
                    entry += passedBindingSuffix(*procedure, m_showArgumentLists);
                } else {
                    const qsizetype count = procedure->arguments ? procedure->arguments->size() : 0;
                    entry += completionSuffixForArguments(procedure->argumentList, count,
                                                          m_showArgumentLists);
                }
            }
            if (procedure && procedure->pUnitType == SubroutineType)
                addName(s->subroutineProcedureNames, entry);
            else
                addName(s->functionProcedureNames, entry);
        }
    }
    if (!type.superclassName.isEmpty() && type.superclassType) {
        const auto parentUnit = type.superclassType->definingProgramUnit.lock();
        if (auto parent = derivedTypeSymbols(*type.superclassType, parentUnit, visited))
            s->addSymbolsFrom(*parent);
    }
    return mergeOrAbsent(s);
}

std::optional<SymbolsIndex>
DeclarationSearch::symbolsForProjectFiles(const QList<std::shared_ptr<FFileDeclarations>> &files)
{
    SymbolTables &t = tables();
    SymbolsIndex index(m_tables);
    qsizetype keys = 0; // at most one per unit: the index is filled without regrowing
    for (const auto &file : files) {
        if (!file)
            continue;
        for (const auto *units : {&file->modules, &file->submodules})
            if (*units)
                for (const auto &entry : **units)
                    keys += 1 + (entry.second && entry.second->procedures
                                     ? entry.second->procedures->size()
                                     : 0);
        keys += file->nonModuleProcedures ? file->nonModuleProcedures->size() : 0;
    }
    index.reserve(keys);
    for (const auto &file : files) {
        if (!file)
            continue;
        for (const auto *units : {&file->modules, &file->submodules}) {
            if (!*units)
                continue;
            for (const auto &entry : **units) {
                const auto &m = entry.second;
                if (!m)
                    continue;
                index.insert(symbolsIndexKey(m->name, QString()), t.scopeFor(*m));
                if (m->procedures) {
                    for (const auto &pe : *m->procedures) {
                        const auto &p = pe.second;
                        if (!p)
                            continue;
                        index.insert(symbolsIndexKey(m->name, p->name),
                                     std::shared_ptr<const FProgramUnit>(p));
                    }
                }
            }
        }
        if (file->nonModuleProcedures) {
            for (const auto &entry : *file->nonModuleProcedures) {
                if (!entry.second)
                    continue;
                const QString key = symbolsIndexKey(QString(), entry.second->name);
                if (!key.isNull()) // an unnamed main program has no scope key
                    index.insert(key, std::shared_ptr<const FProgramUnit>(entry.second));
            }
        }
    }
    if (index.isEmpty())
        return std::nullopt;
    return index;
}

} // namespace corvane
