// DeclarationSearch: resolves a name seen from a scope (procedure, module) through the USE
// statements of the project's modules and, for component references a%b%c, through derived types
// and their parent types; and builds the completion symbol sets of every scope of the project.
// A search object is short-lived: it refers to the project's modules dictionary without owning it.
//
// Names pass through USE statements as the compiler passes them: a module shows its users only its
// PUBLIC entities (and the names of its own uses it leaves PUBLIC), ONLY lists bring only their
// names, and a rename (x => y) brings y under the name x. Every walk through used modules or parent
// types remembers where it has been, so USE cycles and types that extend themselves (possible in
// text being edited) end instead of recursing forever.
#pragma once

#include "analysis/ffiledeclarations.h"
#include "analysis/fprogramunit.h"
#include "analysis/symbolsindex.h"
#include "settings/orderedmap.h"

#include <QHash>
#include <QSet>

#include <memory>
#include <optional>

namespace corvane
{

using ModulesDictionary = OrderedMap<std::shared_ptr<FProgramUnit>>;

// Where a name was found.
struct SearchResult {
    FDeclaration object;                       // the variable, procedure or type found
    std::shared_ptr<FProgramUnit> programUnit; // the unit in whose scope it was found
    QString fileName;                    // that unit's file; null for hits in the chain itself
    std::shared_ptr<FDerivedType> dType; // the type, for hits inside a type
};

// The answer of a component-chain search: a result, or none; shouldBeep says the user is to be
// told (the base variable, an intermediate component or a component's type did not resolve).
struct ChainSearchResult {
    std::optional<SearchResult> result;
    bool shouldBeep = false;
};

// The symbols-index key of a scope: "module_m", "p_in_m", "procedure_p" (lower-cased); null when
// neither name is given.
QString symbolsIndexKey(const QString &moduleName, const QString &procedureName);

class DeclarationSearch
{
public:
    explicit DeclarationSearch(const ModulesDictionary &allModules, bool showArgumentLists = true);

    // Innermost first. procedure/module are the scope finder's names (null when absent).
    QList<std::shared_ptr<FProgramUnit>>
    buildScopeSearchChain(const QString &procedure, const QString &module,
                          const FFileDeclarations &declarations) const;

    std::optional<SearchResult>
    objectAndScopeForName(const QString &name,
                          const QList<std::shared_ptr<FProgramUnit>> &scopeChain) const;
    std::optional<SearchResult> objectAndScopeForNameInModule(const QString &name,
                                                              const QString &moduleName) const;
    std::optional<SearchResult>
    objectAndScopeForNameInDerivedType(const QString &name,
                                       const std::shared_ptr<FDerivedType> &type,
                                       const std::shared_ptr<FProgramUnit> &unit) const;
    // chain lists a%b%c last-first: {"c", "b", "a"}; the name looked up is chain[0].
    ChainSearchResult
    objectAndScopeForNameInChain(const QStringList &chain,
                                 const QList<std::shared_ptr<FProgramUnit>> &scopeChain) const;

    // The first module unit uses (the type name is not consulted), or null.
    std::shared_ptr<FProgramUnit> moduleForDerivedTypeName(const QString &typeName,
                                                           const FProgramUnit &unit) const;

    // --- symbols --------------------------------------------------------------------------
    // The layered index of every scope of the files (see SymbolsIndex). Absent when the files
    // have no scope. Types get no stored symbols: completion makes a type's when it is asked
    // for (symbolsForDerivedType), which costs a walk of one type and its parents, where
    // storing them cost over two kilobytes a type.
    std::optional<SymbolsIndex>
    symbolsForProjectFiles(const QList<std::shared_ptr<FFileDeclarations>> &files);
    // The names visible in one unit (a module: all its own names and what its uses bring in), as
    // completion sets built from the same layers.
    std::shared_ptr<FSymbols> symbolsForProgramUnit(const FProgramUnit &unit);
    std::shared_ptr<FSymbols> symbolsForModule(const FProgramUnit &unit);
    // What plain USE statements of the named modules bring in; null for none.
    std::shared_ptr<FSymbols> symbolsForUsedModules(const std::optional<QStringList> &names);
    static std::optional<QStringList>
    derivedTypeVariableNames(const QList<std::shared_ptr<FVariable>> &variables);
    std::shared_ptr<FSymbols> symbolsForDerivedType(const FDerivedType &type,
                                                    const std::shared_ptr<FProgramUnit> &unit);

private:
    // The entity module (lower-cased name) shows its users under key, through its own uses.
    std::optional<SearchResult> searchExported(const QString &key, const QString &moduleKey,
                                               QSet<QString> &visited) const;
    // The name as the USE statements of unit bring it in.
    std::optional<SearchResult> searchUses(const QString &key, const FProgramUnit &unit,
                                           QSet<QString> &visited) const;
    std::optional<SearchResult> searchDerivedType(const QString &lowerName,
                                                  const std::shared_ptr<FDerivedType> &type,
                                                  const std::shared_ptr<FProgramUnit> &unit,
                                                  QSet<const FDerivedType *> &visited) const;
    std::shared_ptr<FSymbols> derivedTypeSymbols(const FDerivedType &type,
                                                 const std::shared_ptr<FProgramUnit> &unit,
                                                 QSet<const FDerivedType *> &visited);
    std::shared_ptr<FProgramUnit> module(const QString &name) const;
    SymbolTables &tables();

    const ModulesDictionary &m_allModules;
    bool m_showArgumentLists;
    std::shared_ptr<SymbolTables> m_tables; // made on first use
};

} // namespace corvane
