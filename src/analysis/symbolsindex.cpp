#include "analysis/symbolsindex.h"

#include "analysis/fprogramunit.h"
#include "analysis/fusestatement.h"

namespace corvane
{

namespace
{

constexpr qsizetype kIndexedScopeSize = 24; // smaller scopes search their entries directly

// The entry as seen under another local name: "y(a = !^)" renamed x gives "x(a = !^)".
SymbolEntry renamed(const SymbolEntry &e, const QString &localKey, const QString &localName)
{
    SymbolEntry r = e;
    r.key = localKey;
    r.text = localName + e.text.mid(e.key.size());
    return r;
}

// One walk over the layers of a scope. A module scope reached through layers is walked once per
// set of names hidden on the way (renamed away, or PRIVATE in a module passing names on), and a
// visit that hides more than an earlier one of the same scope adds nothing, so every walk ends.
class Walk
{
public:
    explicit Walk(const SymbolVisitor &visit) : m_visit(visit) {}

    void scope(const SymbolScope &s, bool top)
    {
        for (const SymbolEntry &e : s.own)
            m_visit(e, top);
        for (const UseLayer &l : s.layers)
            layer(l, QSet<QString>());
        if (s.host)
            scope(*s.host, false);
    }

    void layer(const UseLayer &l, const QSet<QString> &hidden)
    {
        if (!l.module)
            return;
        for (const Tuple &item : l.names) {
            const QString localKey = item.name.toLower();
            if (hidden.contains(localKey))
                continue;
            Seen seen;
            lookupExported(*l.module, item.value.toLower(), seen, [&](const SymbolEntry &e) {
                m_visit(renamed(e, localKey, item.name), false);
            });
        }
        if (l.only)
            return;
        if (l.renamedAway.isEmpty()) {
            exports(*l.module, hidden);
            return;
        }
        QSet<QString> more = hidden;
        for (const QString &name : l.renamedAway)
            more.insert(name);
        exports(*l.module, more);
    }

    void exports(const SymbolScope &m, const QSet<QString> &hidden)
    {
        QList<QSet<QString>> &visits = m_visited[&m];
        for (const QSet<QString> &earlier : visits)
            if (hidden.contains(earlier))
                return;
        visits.append(hidden);
        // Nothing hidden is the common case: no hashing of each name then.
        for (const SymbolEntry &e : m.own)
            if (e.isPublic && (hidden.isEmpty() || !hidden.contains(e.key)))
                m_visit(e, false);
        if (m.defaultPrivate) {
            // Only the names an access statement makes PUBLIC pass on: each is looked up.
            for (auto it = m.importedAccess.cbegin(); it != m.importedAccess.cend(); ++it) {
                if (!it.value() || hidden.contains(it.key()) || !m.ownEntries(it.key()).isEmpty())
                    continue;
                Seen seen;
                lookupInLayers(m, it.key(), seen, [&](const SymbolEntry &e) { m_visit(e, false); });
            }
            return;
        }
        QSet<QString> more = hidden;
        for (auto it = m.importedAccess.cbegin(); it != m.importedAccess.cend(); ++it)
            if (!it.value())
                more.insert(it.key());
        for (const UseLayer &l : m.layers)
            layer(l, more);
    }

    using Found = std::function<void(const SymbolEntry &)>;
    // (module scope, name) pairs already asked: the answer depends on nothing else, so each is
    // asked once per lookup, which ends cycles and keeps diamonds linear.
    using Seen = QSet<std::pair<const SymbolScope *, QString>>;

    // The entries module m exports under key.
    static void lookupExported(const SymbolScope &m, const QString &key, Seen &seen,
                               const Found &found)
    {
        const std::pair<const SymbolScope *, QString> visit(&m, key);
        if (seen.contains(visit))
            return;
        seen.insert(visit);
        const QList<const SymbolEntry *> own = m.ownEntries(key);
        if (!own.isEmpty()) { // an own name hides what the uses bring under it
            for (const SymbolEntry *e : own)
                if (e->isPublic)
                    found(*e);
            return;
        }
        if (m.passesOn(key))
            lookupInLayers(m, key, seen, found);
    }

    // The entries the layers of s bring in under key.
    static void lookupInLayers(const SymbolScope &s, const QString &key, Seen &seen,
                               const Found &found)
    {
        for (const UseLayer &l : s.layers) {
            if (!l.module)
                continue;
            if (const Tuple *item = l.item(key)) {
                lookupExported(*l.module, item->value.toLower(), seen, [&](const SymbolEntry &e) {
                    found(renamed(e, key, item->name));
                });
            } else if (!l.only && !l.renamedAway.contains(key)) {
                lookupExported(*l.module, key, seen, found);
            }
        }
    }

private:
    const SymbolVisitor &m_visit;
    QHash<const SymbolScope *, QList<QSet<QString>>> m_visited;
};

void addEntry(SymbolScope &s, const QString &key, const QString &text, SymbolKind kind,
              bool derived, bool isPublic)
{
    s.own.append({key, text, kind, derived, isPublic});
}

} // namespace

QList<const SymbolEntry *> SymbolScope::ownEntries(const QString &key) const
{
    QList<const SymbolEntry *> found;
    if (own.size() > kIndexedScopeSize) {
        for (auto it = m_ownIndex.constFind(key); it != m_ownIndex.cend() && it.key() == key; ++it)
            found.prepend(&own[it.value()]);
        return found;
    }
    for (const SymbolEntry &e : own)
        if (e.key == key)
            found.append(&e);
    return found;
}

void SymbolScope::finish()
{
    own.squeeze();
    layers.squeeze();
    m_ownIndex.clear();
    if (own.size() > kIndexedScopeSize)
        for (qsizetype i = 0; i < own.size(); ++i)
            m_ownIndex.insert(own[i].key, i);
}

void visitVisibleSymbols(const SymbolScope &scope, const SymbolVisitor &visit)
{
    Walk(visit).scope(scope, true);
}

void visitExportedSymbols(const SymbolScope &module, const SymbolVisitor &visit)
{
    Walk(visit).exports(module, QSet<QString>());
}

QList<SymbolEntry> visibleSymbolsNamed(const SymbolScope &scope, const QString &key)
{
    QList<SymbolEntry> found;
    for (const SymbolScope *s = &scope; s; s = s->host) {
        for (const SymbolEntry *e : s->ownEntries(key))
            found.append(*e);
        if (!found.isEmpty())
            return found;
        Walk::Seen seen;
        Walk::lookupInLayers(*s, key, seen, [&](const SymbolEntry &e) { found.append(e); });
        if (!found.isEmpty())
            return found;
    }
    return found;
}

namespace
{

// Collects visited entries into completion sets; variablesThatAreDerivedTypes takes only the
// walked scope's own variables (used modules' sets are merged without it).
class SymbolsCollector
{
public:
    std::shared_ptr<FSymbols> symbols = std::make_shared<FSymbols>();

    void operator()(const SymbolEntry &e, bool own) const
    {
        FSymbols &s = *symbols;
        switch (e.kind) {
        case SymbolKind::Variable:
            add(s.variableNames, e.text);
            if (own && e.isDerivedType)
                add(s.variablesThatAreDerivedTypes, e.text);
            break;
        case SymbolKind::Function:
            add(s.functionProcedureNames, e.text);
            break;
        case SymbolKind::Subroutine:
            add(s.subroutineProcedureNames, e.text);
            break;
        case SymbolKind::Type:
            add(s.typeNames, e.text);
            break;
        }
    }

private:
    static void add(FSymbols::NameSet &set, const QString &text)
    {
        if (!set)
            set.emplace();
        set->insert(text);
    }
};

} // namespace

std::shared_ptr<FSymbols> flattenSymbols(const SymbolScope &scope)
{
    SymbolsCollector collect;
    visitVisibleSymbols(scope, collect);
    return collect.symbols;
}

std::shared_ptr<FSymbols> exportedSymbols(const QList<const SymbolScope *> &modules)
{
    SymbolsCollector collect;
    for (const SymbolScope *m : modules)
        if (m)
            visitExportedSymbols(*m, collect);
    return collect.symbols;
}

SymbolTables::SymbolTables(const OrderedMap<std::shared_ptr<FProgramUnit>> &modules,
                           bool showArgumentLists)
    : m_showArgumentLists(showArgumentLists)
{
    // Every module's own names first, then the layers, which point at other modules' scopes.
    QList<std::pair<SymbolScope *, const FProgramUnit *>> built;
    for (const auto &[key, module] : modules) {
        if (!module)
            continue;
        SymbolScope &s = build(*module);
        m_byName.insert(key, &s);
        built.append({&s, module.get()});
    }
    for (auto &[scope, module] : built)
        addLayers(*scope, *module);
    for (auto &[scope, module] : built) {
        resolveAccessOnlyEntities(*scope, *module);
        scope->finish();
    }
}

const SymbolScope *SymbolTables::moduleScope(const QString &name) const
{
    return m_byName.value(name.toLower());
}

const SymbolScope *SymbolTables::scopeFor(const FProgramUnit &unit)
{
    const std::lock_guard lock(m_mutex);
    return scopeForLocked(unit);
}

const SymbolScope *SymbolTables::scopeForLocked(const FProgramUnit &unit)
{
    if (const SymbolScope *known = m_byRecord.value(&unit))
        return known;
    SymbolScope &s = build(unit);
    addLayers(s, unit);
    if (unit.pUnitType == ModuleType)
        resolveAccessOnlyEntities(s, unit);
    else if (const auto host = unit.definingProgramUnit.lock())
        if (host->pUnitType == ModuleType || host->pUnitType == SubmoduleType)
            s.host = scopeForLocked(*host); // a submodule's host is its ancestor module
    s.finish();
    return &s;
}

// The unit's own names: variables and types; for a module also its procedures (under their
// generic names, with argument lists) and the access of each. Entities an access statement alone
// made are left to resolveAccessOnlyEntities.
SymbolScope &SymbolTables::build(const FProgramUnit &unit)
{
    m_scopes.emplace_back();
    SymbolScope &s = m_scopes.back();
    m_byRecord.insert(&unit, &s);
    const bool isModule = unit.pUnitType == ModuleType;
    s.defaultPrivate = isModule && !isPublicInModule(QString(), unit);
    auto isPublic = [&](const QString &access) {
        return !isModule || isPublicInModule(access, unit);
    };
    if (unit.variables) {
        for (const auto &[key, v] : *unit.variables) {
            if (!v)
                continue;
            if (isModule && isAccessOnlyEntity(*v)) {
                if (!v->access.isNull())
                    s.importedAccess.insert(key, isPublicInModule(v->access, unit));
                continue;
            }
            addEntry(s, key, v->name, SymbolKind::Variable, v->isDerivedType, isPublic(v->access));
        }
    }
    if (unit.types)
        for (const auto &[key, t] : *unit.types)
            if (t)
                addEntry(s, key, t->name, SymbolKind::Type, false, isPublic(t->access));
    if ((isModule || unit.pUnitType == SubmoduleType) && unit.procedures) {
        for (const auto &[key, p] : *unit.procedures) {
            if (!p || (p->pUnitType != SubroutineType && p->pUnitType != FunctionType))
                continue;
            const QString &name = p->genericName.isNull() ? p->name : p->genericName;
            const QString suffix = completionSuffixForArguments(
                p->argumentList, p->arguments ? p->arguments->size() : 0, m_showArgumentLists);
            addEntry(s, p->genericName.isNull() ? key : name.toLower(),
                     suffix.isNull() ? name : name + suffix,
                     p->pUnitType == SubroutineType ? SymbolKind::Subroutine
                                                    : SymbolKind::Function,
                     false, isPublic(p->access));
        }
    }
    return s;
}

void SymbolTables::addLayers(SymbolScope &scope, const FProgramUnit &unit) const
{
    for (const FUseStatement &use : useStatementsOf(unit)) {
        UseLayer l;
        l.module = m_byName.value(use.moduleName.toLower());
        l.only = use.only;
        // A local name given twice keeps its first place and its last meaning.
        OrderedMap<Tuple> distinct;
        for (const Tuple &t : use.names) {
            const QString local = t.name.toLower(), remote = t.value.toLower();
            distinct.insert(local, t);
            if (!use.only && local != remote)
                if (!l.renamedAway.contains(remote))
                    l.renamedAway.append(remote);
        }
        if (distinct.size() == use.names.size()) {
            l.names = use.names;
        } else {
            for (const auto &[local, t] : distinct)
                l.names.append(t);
        }
        // A plain item of an ONLY list under its own name is the same as a rename to itself.
        scope.layers.append(std::move(l));
    }
}

// "public :: x" names either an entity of a used module (an access statement for it) or, when no
// use brings x in, an implicitly typed variable of the module itself.
void SymbolTables::resolveAccessOnlyEntities(SymbolScope &scope, const FProgramUnit &module)
{
    if (!module.variables)
        return;
    for (const auto &[key, v] : *module.variables) {
        if (!v || !isAccessOnlyEntity(*v))
            continue;
        Walk::Seen seen;
        bool imported = false;
        Walk::lookupInLayers(scope, key, seen, [&](const SymbolEntry &) { imported = true; });
        if (!imported) {
            scope.importedAccess.remove(key);
            addEntry(scope, key, v->name, SymbolKind::Variable, false,
                     isPublicInModule(v->access, module));
        }
    }
}

QStringList SymbolsIndex::keys() const
{
    QStringList keys;
    keys.reserve(m_scopes.size());
    for (const auto &entry : m_scopes)
        keys.append(entry.first);
    return keys;
}

const SymbolScope *SymbolsIndex::scope(const QString &key) const
{
    const Slot *slot = m_scopes.find(key);
    if (!slot)
        return nullptr;
    if (slot->scope || !slot->unit || !m_tables)
        return slot->scope;
    return m_tables->scopeFor(*slot->unit);
}

std::shared_ptr<FSymbols> SymbolsIndex::symbols(const QString &key) const
{
    const SymbolScope *s = scope(key);
    return s ? flattenSymbols(*s) : nullptr;
}

namespace
{

// Calls add with each entry text of the kinds visible in scope that starts with prefix.
template <typename Add>
void forEachMatch(const SymbolScope &scope, std::initializer_list<SymbolKind> kinds,
                  const QString &prefix, bool derivedTypesOnly, Add add)
{
    unsigned wanted = 0;
    for (SymbolKind k : kinds)
        wanted |= 1u << unsigned(k);
    const PrefixMatcher matches(prefix);
    visitVisibleSymbols(scope, [&](const SymbolEntry &e, bool own) {
        if (!(wanted & (1u << unsigned(e.kind))))
            return;
        if (derivedTypesOnly && e.kind == SymbolKind::Variable && !(own && e.isDerivedType))
            return;
        if (matches(e.text))
            add(e.text);
    });
}

} // namespace

void SymbolsIndex::addMatches(const QString &key, SymbolKind kind, const QString &prefix,
                              QSet<QString> &out, bool derivedTypesOnly) const
{
    if (const SymbolScope *s = scope(key))
        forEachMatch(*s, {kind}, prefix, derivedTypesOnly,
                     [&](const QString &text) { out.insert(text); });
}

void SymbolsIndex::addMatches(const QString &key, std::initializer_list<SymbolKind> kinds,
                              const QString &prefix, QStringList &out,
                              bool derivedTypesOnly) const
{
    if (const SymbolScope *s = scope(key))
        forEachMatch(*s, kinds, prefix, derivedTypesOnly,
                     [&](const QString &text) { out.append(text); });
}

} // namespace corvane
