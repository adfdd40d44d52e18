#include "project/projectindex.h"

#include "analysis/ffileparser.h"
#include "project/usechain.h"

namespace corvane
{

namespace
{

std::shared_ptr<FProgramUnit> cloneUnit(const FProgramUnit &unit,
                                        const std::shared_ptr<FProgramUnit> &host, int depth)
{
    auto copy = std::make_shared<FProgramUnit>(unit);
    copy->definingProgramUnit = host;
    copy->symbols = nullptr;
    if (copy->types) {
        for (auto &entry : *copy->types) {
            if (!entry.second)
                continue;
            auto type = std::make_shared<FDerivedType>(*entry.second);
            type->definingProgramUnit = copy;
            type->superclassType = nullptr;
            type->symbols = nullptr;
            entry.second = std::move(type);
        }
    }
    // Module procedures get their own copies (their types are linked and given symbols);
    // internal procedures below them are never written by a merge and stay shared.
    if (depth == 0 && copy->procedures)
        for (auto &entry : *copy->procedures)
            if (entry.second)
                entry.second = cloneUnit(*entry.second, copy, depth + 1);
    return copy;
}

void cloneMap(DeclarationMap<FProgramUnit> &map)
{
    if (!map)
        return;
    for (auto &entry : *map)
        if (entry.second)
            entry.second = cloneUnit(*entry.second, nullptr, 0);
}

// Adds path as a dependant of definingPath. A merge adds all of one file's edges before the next
// file's, so a path already there is the list's last.
void addDependant(QHash<QString, QStringList> &dependants, const QString &definingPath,
                  const QString &path)
{
    QStringList &list = dependants[definingPath];
    if (list.isEmpty() || list.constLast() != path)
        list.append(path);
}

// Adds path as a dependant of the files defining the modules that unit's USE statements name.
// Only these direct edges are stored: the files that depend on a file through other modules are
// reached along them when they are needed (re-indexing after a save), so what a merge records
// grows with the project's USE statements, not with the squares of its use chains.
void addDependencies(const QString &path, const FProgramUnit &unit,
                     const ModulesDictionary &modules, const QSet<QString> &projectPaths,
                     QHash<QString, QStringList> &dependants)
{
    for (const FUseStatement &use : useStatementsOf(unit)) {
        const auto module = modules.value(use.moduleName.toLower());
        if (!module)
            continue;
        const QString definingPath = module->defInfo ? module->defInfo->fileSource : QString();
        if (definingPath != path && projectPaths.contains(definingPath))
            addDependant(dependants, definingPath, path);
    }
}

void countUnit(const FProgramUnit &u, ProjectIndex::Counts &c)
{
    c.types += u.types ? u.types->size() : 0;
    c.variables += u.variables ? u.variables->size() : 0;
}

} // namespace

std::shared_ptr<FFileDeclarations> cloneForMerge(const FFileDeclarations &declarations)
{
    auto copy = std::make_shared<FFileDeclarations>(declarations);
    cloneMap(copy->modules);
    cloneMap(copy->nonModuleProcedures);
    cloneMap(copy->submodules);
    return copy;
}

void linkSubmodules(const FFileDeclarations &file, const ModulesDictionary &modules)
{
    if (!file.submodules)
        return;
    for (const auto &entry : *file.submodules) {
        const auto &submodule = entry.second;
        const auto ancestor = submodule ? modules.value(submodule->ancestorName.toLower()) : nullptr;
        if (!ancestor)
            continue;
        submodule->definingProgramUnit = ancestor;
        if (!submodule->procedures)
            continue;
        for (const auto &p : *submodule->procedures) {
            if (!p.second)
                continue;
            const auto interface = lookupDeclaration(ancestor->procedures, p.second->name);
            if (interface && interface->isInterface)
                FFileParser::takeOverInterface(*p.second, *interface);
        }
    }
}

void cleanUpUseChains(const ModulesDictionary &modules, QString &errorMessage)
{
    QList<ModuleUses> uses;
    uses.reserve(modules.size());
    for (const auto &entry : modules)
        uses.append({entry.second->name, entry.second->modulesUsed.value_or(QStringList())});
    errorMessage = UseChain(uses, UseChain::OnlyCycles).errorMessage();
}

std::optional<QStringList> resolvedUseChain(const ModulesDictionary &modules, const QString &name)
{
    // Only the modules reachable from the named one take part: their chain does not depend on
    // the rest of the project, nor does whether a cycle is met on the way.
    QList<ModuleUses> uses;
    QSet<QString> seen;
    QList<QString> pending{name.toLower()};
    while (!pending.isEmpty()) {
        const QString key = pending.takeLast();
        if (seen.contains(key))
            continue;
        seen.insert(key);
        const auto module = modules.value(key);
        if (!module)
            continue;
        const QStringList used = module->modulesUsed.value_or(QStringList());
        uses.append({module->name, used});
        for (const QString &next : used)
            pending.append(next.toLower());
    }
    if (uses.isEmpty())
        return std::nullopt;
    return UseChain(uses).usedModuleNamesForModuleNamed(name);
}

void setSuperclasses(const ModulesDictionary &modules, const ModulesDictionary &globals)
{
    // Parent candidates: the types of every module, the last module visited winning.
    QHash<QString, std::shared_ptr<FDerivedType>> parents;
    for (const auto &m : modules)
        if (m.second->types)
            for (const auto &t : *m.second->types)
                parents.insert(t.first, t.second);

    QList<std::shared_ptr<FDerivedType>> types;
    auto collect = [&types](const FProgramUnit &u) {
        if (u.types)
            for (const auto &t : *u.types)
                if (t.second)
                    types.append(t.second);
    };
    for (const auto &m : modules) {
        collect(*m.second);
        if (m.second->procedures)
            for (const auto &p : *m.second->procedures)
                if (p.second)
                    collect(*p.second);
    }
    for (const auto &g : globals)
        collect(*g.second);

    for (const auto &t : types)
        if (!t->superclassName.isEmpty())
            if (auto parent = parents.value(t->superclassName.toLower()))
                t->superclassType = parent;
    // A type that is its own ancestor would keep itself alive and loop every walk: the link
    // that closes the cycle is dropped (the extends name stays for the info text).
    for (const auto &t : types) {
        QSet<const FDerivedType *> walk{t.get()};
        for (FDerivedType *node = t.get(); node->superclassType;
             node = node->superclassType.get()) {
            if (walk.contains(node->superclassType.get())) {
                node->superclassType = nullptr;
                break;
            }
            walk.insert(node->superclassType.get());
        }
    }
}

NameSet projectModuleNames(const ModulesDictionary &modules)
{
    if (modules.isEmpty())
        return std::nullopt;
    QSet<QString> names;
    for (const auto &m : modules)
        names.insert(m.second->name);
    return names;
}

NameSet projectProcedureNamesOfType(const ModulesDictionary &globals, unsigned unitType,
                                    bool showArgumentLists)
{
    if (globals.isEmpty())
        return std::nullopt;
    QSet<QString> names;
    for (const auto &entry : globals) {
        const FProgramUnit &p = *entry.second;
        if (p.pUnitType != unitType)
            continue;
        QString text = p.name;
        if (showArgumentLists && !p.argumentList.isNull())
            text += completionSuffixForArguments(p.argumentList,
                                                 p.arguments ? p.arguments->size() : 0, true);
        names.insert(text);
    }
    if (names.isEmpty())
        return std::nullopt;
    return names;
}

std::shared_ptr<ProjectIndex> gatherProjectDeclarations(const QList<MergeInput> &files,
                                                        bool showArgumentLists)
{
    auto index = std::make_shared<ProjectIndex>();
    QList<std::shared_ptr<FFileDeclarations>> merged;
    QList<QString> paths;
    QSet<QString> projectPaths;
    for (const MergeInput &in : files) {
        projectPaths.insert(in.path);
        if (!in.declarations)
            continue;
        auto copy = in.exclusive ? std::const_pointer_cast<FFileDeclarations>(in.declarations)
                                 : cloneForMerge(*in.declarations);
        if (copy->modules)
            for (const auto &e : *copy->modules)
                if (e.second)
                    index->projectModulesDictionary.insert(e.first, e.second);
        if (copy->nonModuleProcedures)
            for (const auto &e : *copy->nonModuleProcedures)
                if (e.second)
                    index->projectGlobalProceduresDictionary.insert(e.first, e.second);
        index->fileDeclarations.insert(in.path, copy);
        merged.append(copy);
        paths.append(in.path);
    }
    cleanUpUseChains(index->projectModulesDictionary, index->errorMessage);
    for (const auto &file : merged)
        linkSubmodules(*file, index->projectModulesDictionary);
    setSuperclasses(index->projectModulesDictionary, index->projectGlobalProceduresDictionary);

    for (qsizetype i = 0; i < merged.size(); ++i) {
        const QString &path = paths[i];
        auto add = [&](const FProgramUnit &u) {
            addDependencies(path, u, index->projectModulesDictionary, projectPaths,
                            index->dependants);
        };
        if (merged[i]->modules) {
            for (const auto &m : *merged[i]->modules) {
                add(*m.second);
                if (m.second->procedures)
                    for (const auto &p : *m.second->procedures)
                        if (p.second)
                            add(*p.second);
            }
        }
        if (merged[i]->nonModuleProcedures)
            for (const auto &g : *merged[i]->nonModuleProcedures)
                add(*g.second);
        if (merged[i]->submodules) {
            for (const auto &sm : *merged[i]->submodules) {
                add(*sm.second);
                // A submodule depends on its ancestor module as on a module it uses.
                const auto ancestor = sm.second->definingProgramUnit.lock();
                const QString definingPath =
                    ancestor && ancestor->defInfo ? ancestor->defInfo->fileSource : QString();
                if (definingPath != path && projectPaths.contains(definingPath))
                    addDependant(index->dependants, definingPath, path);
            }
        }
    }

    DeclarationSearch search(index->projectModulesDictionary, showArgumentLists);
    index->projectSymbolsIndex = search.symbolsForProjectFiles(merged);
    index->moduleNames = projectModuleNames(index->projectModulesDictionary);
    index->subroutineNames = projectProcedureNamesOfType(index->projectGlobalProceduresDictionary,
                                                         SubroutineType, showArgumentLists);
    index->functionNames = projectProcedureNamesOfType(index->projectGlobalProceduresDictionary,
                                                       FunctionType, showArgumentLists);
    return index;
}

ProjectIndex::Counts ProjectIndex::counts() const
{
    Counts c;
    c.files = filesParsed;
    c.modules = projectModulesDictionary.size();
    c.globalProcedures = projectGlobalProceduresDictionary.size();
    for (const auto &m : projectModulesDictionary) {
        countUnit(*m.second, c);
        if (m.second->procedures) {
            c.moduleProcedures += m.second->procedures->size();
            for (const auto &p : *m.second->procedures)
                if (p.second)
                    countUnit(*p.second, c);
        }
    }
    for (const auto &g : projectGlobalProceduresDictionary)
        countUnit(*g.second, c);
    return c;
}

std::shared_ptr<const FFileDeclarations>
ProjectIndex::declarationsForFile(const QString &path) const
{
    return fileDeclarations.value(path);
}

} // namespace corvane
