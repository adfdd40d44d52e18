// SymbolsIndex: the names visible in each scope of a project, for completion, without copying the
// names of used modules into the scopes that use them.
//
// Each scope holds its own names and layers: one per USE statement, a reference to the used
// module's scope with the statement's ONLY list and renames. A module's scope, seen through a
// layer, shows what the module exports: its PUBLIC own names and the names of its own uses that it
// leaves PUBLIC. Scopes are built once per module, are immutable and shared by every unit that
// uses the module; a module procedure's scope refers to its module's (host association: the
// module's private names too). Walks visit each module scope once, so USE cycles end.
//
// The interface is that of a dictionary from scope key ("Module_m", "p_in_m", "Procedure_p") to
// FSymbols: symbols(key) flattens one scope on demand; addMatches walks the layers directly.
#pragma once

#include "analysis/fdefinitioninfo.h"
#include "analysis/fsymbols.h"
#include "settings/orderedmap.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>

namespace corvane
{

class FProgramUnit;

enum class SymbolKind : quint8 { Variable, Function, Subroutine, Type };

// One name a scope declares itself, as completion offers it.
struct SymbolEntry {
    QString key;  // lower-cased name (the generic name of a specific procedure)
    QString text; // "x", "solve(a = !^,b = !^)": the name as written, then any argument list
    SymbolKind kind = SymbolKind::Variable;
    bool isDerivedType = false; // a variable of derived type
    bool isPublic = true;       // seen by the units that use the module
};

class SymbolScope;

// One USE statement of a scope.
struct UseLayer {
    const SymbolScope *module = nullptr; // null: a module outside the project
    bool only = false;
    // ONLY items and renames as the statement writes them: {local name, name in the module},
    // each local name once. The statement's own list, shared, unless it names one twice.
    QList<Tuple> names;
    // Names of the module that a rename hides under their own name: a few per statement, so a
    // list (a hashed set costs over a kilobyte even for one name, in every module's scope).
    QStringList renamedAway;

    // The item whose local name is key (lower-cased), or null.
    const Tuple *item(const QString &key) const
    {
        for (const Tuple &t : names)
            if (t.name.size() == key.size() &&
                (t.name == key || t.name.compare(key, Qt::CaseInsensitive) == 0))
                return &t;
        return nullptr;
    }
};

class SymbolScope
{
public:
    QList<SymbolEntry> own;
    QList<UseLayer> layers;
    const SymbolScope *host = nullptr;
    // A module's names it gets from its uses pass on to its users unless PRIVATE: access
    // statements (lower-cased name -> public) decide, else the default.
    bool defaultPrivate = false;
    QHash<QString, bool> importedAccess;

    bool passesOn(const QString &key) const { return importedAccess.value(key, !defaultPrivate); }
    // The own entries of key (several for a generic name).
    QList<const SymbolEntry *> ownEntries(const QString &key) const;
    void finish(); // builds the lookup of own names once the entries are complete

private:
    QMultiHash<QString, qsizetype> m_ownIndex; // only for scopes with many names
};

// Tests whether texts start with a prefix, ignoring case; an empty prefix matches every text.
// Most texts differ in their first character, which is compared first without a library call.
class PrefixMatcher
{
public:
    explicit PrefixMatcher(const QString &prefix)
        : m_prefix(prefix), m_first(prefix.isEmpty() ? 0 : fold(prefix.front()))
    {
    }
    bool operator()(const QString &text) const
    {
        if (m_prefix.isEmpty())
            return true;
        if (text.size() < m_prefix.size() || fold(text.front()) != m_first)
            return false;
        return text.startsWith(m_prefix, Qt::CaseInsensitive);
    }

private:
    static char32_t fold(QChar c)
    {
        const char16_t u = c.unicode();
        if (u < 128)
            return u >= u'A' && u <= u'Z' ? char32_t(u + 32) : char32_t(u);
        return QChar::toCaseFolded(char32_t(u));
    }
    const QString &m_prefix;
    char32_t m_first;
};

// Called with each visible entry (renames applied); own says it is the walked scope's own name.
using SymbolVisitor = std::function<void(const SymbolEntry &entry, bool own)>;

// Visits every name visible in scope: its own, those its layers bring in, its host's.
void visitVisibleSymbols(const SymbolScope &scope, const SymbolVisitor &visit);
// Visits the names module exports, as a plain USE of it brings them in.
void visitExportedSymbols(const SymbolScope &module, const SymbolVisitor &visit);
// Every entry visible in scope under the lower-cased name key (renames applied).
QList<SymbolEntry> visibleSymbolsNamed(const SymbolScope &scope, const QString &key);
// The scope's names as completion sets; variablesThatAreDerivedTypes holds its own names only.
std::shared_ptr<FSymbols> flattenSymbols(const SymbolScope &scope);
// What plain USE statements of the modules bring in, as completion sets.
std::shared_ptr<FSymbols> exportedSymbols(const QList<const SymbolScope *> &modules);

// The scopes of one project (or of one search), owned together: layers point into them.
class SymbolTables
{
public:
    // One scope per module of modules (lower-cased name -> module).
    SymbolTables(const OrderedMap<std::shared_ptr<FProgramUnit>> &modules,
                 bool showArgumentLists);

    // The scope of a module record (any record of a module, also one the dictionary shadows),
    // made on first request; for other units a scope of their own, with the module of a module
    // procedure as host. Safe to call from several threads: made scopes never change.
    const SymbolScope *scopeFor(const FProgramUnit &unit);
    const SymbolScope *moduleScope(const QString &name) const; // by name in the dictionary

private:
    const SymbolScope *scopeForLocked(const FProgramUnit &unit);
    SymbolScope &build(const FProgramUnit &unit);
    void addLayers(SymbolScope &scope, const FProgramUnit &unit) const;
    void resolveAccessOnlyEntities(SymbolScope &scope, const FProgramUnit &module);

    bool m_showArgumentLists;
    std::deque<SymbolScope> m_scopes; // stable addresses
    QHash<const FProgramUnit *, const SymbolScope *> m_byRecord;
    QHash<QString, const SymbolScope *> m_byName;
    std::mutex m_mutex; // scopes made after construction
};

class SymbolsIndex
{
public:
    SymbolsIndex() = default;
    explicit SymbolsIndex(std::shared_ptr<SymbolTables> tables) : m_tables(std::move(tables)) {}

    void insert(const QString &key, const SymbolScope *scope) { m_scopes.insert(key, {scope, {}}); }
    // A scope the tables make from unit when it is first asked for: most procedures' scopes are
    // never looked at, and each costs as much as the unit's names.
    void insert(const QString &key, std::shared_ptr<const FProgramUnit> unit)
    {
        m_scopes.insert(key, {nullptr, std::move(unit)});
    }
    void reserve(qsizetype n) { m_scopes.reserve(n); }
    bool isEmpty() const { return m_scopes.isEmpty(); }
    qsizetype size() const { return m_scopes.size(); }
    bool contains(const QString &key) const { return m_scopes.contains(key); }
    QStringList keys() const;
    const SymbolScope *scope(const QString &key) const;

    // The FSymbols view of the scope under key, or null; built on each call.
    std::shared_ptr<FSymbols> symbols(const QString &key) const;
    // Adds to out the entry texts of kind visible under key that start with prefix, ignoring
    // case (an empty prefix matches every name); derivedTypesOnly keeps the scope's own
    // variables of derived type.
    void addMatches(const QString &key, SymbolKind kind, const QString &prefix,
                    QSet<QString> &out, bool derivedTypesOnly = false) const;
    // The same for several kinds in one walk, appending (a name visible twice comes twice);
    // derivedTypesOnly filters the variables only.
    void addMatches(const QString &key, std::initializer_list<SymbolKind> kinds,
                    const QString &prefix, QStringList &out,
                    bool derivedTypesOnly = false) const;

private:
    struct Slot {
        const SymbolScope *scope = nullptr;
        std::shared_ptr<const FProgramUnit> unit; // made on request when scope is null
    };
    std::shared_ptr<SymbolTables> m_tables;
    OrderedMap<Slot> m_scopes;
};

} // namespace corvane
