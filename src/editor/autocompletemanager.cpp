#include "autocompletemanager.h"

#include "editor/completionoffer.h"

#include "analysis/declarationsearch.h"
#include "analysis/fderivedtype.h"
#include "analysis/ffiledeclarations.h"
#include "analysis/fprogramunit.h"
#include "analysis/fttokenizer.h"
#include "analysis/fvariable.h"
#include "settings/defaults.h"
#include "settings/settingskeys.h"
#include "settings/vocabulary.h"

#include <algorithm>
#include <functional>

namespace corvane
{

namespace
{

bool inList(const QStringList &list, QStringView word)
{
    for (const QString &w : list)
        if (QStringView(w).compare(word, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A null string for an empty one: the declaration lookups take null as "not given".
QString given(const QString &s)
{
    return s.isEmpty() ? QString() : s;
}

template <typename Visit> void addFromSet(const std::optional<QSet<QString>> &set, Visit visit)
{
    if (set)
        for (const QString &name : *set)
            visit(name);
}

// The gathered names sorted in the list's order, each once; none when there are none.
std::optional<QStringList> listed(QStringList names)
{
    if (names.isEmpty())
        return std::nullopt;
    sortCandidates(names);
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

} // namespace

CompletionSettings CompletionSettings::fromDefaults(const Defaults &defaults)
{
    CompletionSettings s;
    s.keywords = defaults.boolValue(QLatin1String(keys::autoCompleteFortranKeywords));
    s.procedures = defaults.boolValue(QLatin1String(keys::autoCompleteProcedures));
    s.intrinsics = defaults.boolValue(QLatin1String(keys::autoCompleteFortranIntrinsics));
    return s;
}

AutocompleteManager::AutocompleteManager(const Vocabulary &vocabulary, bool showArgumentLists)
    : m_keywords(vocabulary.fortranKeywordsArray()),
      m_intrinsicKinds(vocabulary.intrinsicKinds()),
      m_intrinsicFunctions(vocabulary.intrinsicFunctions(showArgumentLists)),
      m_intrinsicSubroutines(vocabulary.intrinsicSubroutines(showArgumentLists)),
      m_showArgumentLists(showArgumentLists)
{
}

const QStringList &AutocompleteManager::declarationKeywords()
{
    static const QStringList l{"integer", "real", "complex", "logical",
                               "character", "double", "type", "class"};
    return l;
}

const QStringList &AutocompleteManager::intrinsicModuleNames()
{
    static const QStringList l{"IEEE_EXCEPTIONS", "IEEE_ARITHMETIC", "IEEE_FEATURES",
                               "ISO_C_BINDING", "ISO_FORTRAN_ENV"};
    return l;
}

const QStringList &AutocompleteManager::programUnits()
{
    static const QStringList l{"program", "function", "subroutine", "module", "submodule", "block"};
    return l;
}

const QStringList &AutocompleteManager::attrSpec()
{
    static const QStringList l{"allocatable", "asynchronous", "codimension", "contiguous",
                               "dimension",   "external",     "intent",      "intrinsic",
                               "kind",        "optional",     "parameter",   "pointer",
                               "precision",   "protected",    "save",        "target",
                               "value",       "volatile",     "function"};
    return l;
}

const QStringList &AutocompleteManager::endEndings()
{
    static const QStringList l{"program", "function", "subroutine", "module",
                               "submodule", "block", "interface", "type", "if"};
    return l;
}

const QStringList &AutocompleteManager::expressionOperators()
{
    static const QStringList l{"=", "+", "-", "*", "/", "("};
    return l;
}

const QStringList &AutocompleteManager::typeAttrSpec()
{
    static const QStringList l{"extends",   "abstract",     "bind(c)",     "public",
                               "pointer",   "function",     "allocatable", "asynchronous",
                               "codimension", "contiguous", "dimension",   "external",
                               "intent",    "intrinsic",    "optional",    "parameter",
                               "protected", "save",         "target",      "value",
                               "volatile"};
    return l;
}

void AutocompleteManager::setProjectIndex(std::shared_ptr<const ProjectIndex> index)
{
    m_index = std::move(index);
}

void AutocompleteManager::setDeclarationsForDisplayedText(
    std::shared_ptr<const FFileDeclarations> declarations)
{
    m_displayed = std::move(declarations);
}

const SymbolsIndex *AutocompleteManager::symbolsIndex() const
{
    return m_index && m_index->projectSymbolsIndex ? &*m_index->projectSymbolsIndex : nullptr;
}

void AutocompleteManager::addMatches(const QString &partial, const QStringList &words,
                                     QStringList &out)
{
    if (partial.isEmpty())
        return;
    const PrefixMatcher matches(partial);
    for (const QString &w : words)
        if (matches(w))
            out.append(w);
}

void AutocompleteManager::addMatches(const QString &partial, const QSet<QString> &words,
                                     QStringList &out)
{
    if (partial.isEmpty())
        return;
    const PrefixMatcher matches(partial);
    for (const QString &w : words)
        if (matches(w))
            out.append(w);
}

void AutocompleteManager::addMatches(const QString &partial, const NameSet &words,
                                     QStringList &out)
{
    if (words)
        addMatches(partial, *words, out);
}

StatementClassKind AutocompleteManager::classifyFortranStatement(QStringView statement) const
{
    QList<QStringView> tokens;
    FTTokenizer::tokenize(statement, tokens);
    const qsizetype n = tokens.size();
    if (n < 2)
        return OtherStatement;
    const QString first = tokens.front().toString().toLower();
    const QString q = tokens[n - 2].toString().toLower();
    const QStringView last = tokens.back();
    if (first == u"use")
        return UseModuleName;
    if (first == u"external")
        return ExternalName;
    if (q == u"call")
        return CallName;
    if (first == u"type")
        return n == 2 ? TypeAttributes : q == u"(" ? TypeNameInParentheses : TypeAttributes;
    if (first == u"class")
        return n == 2 ? ClassStart : q == u"(" ? TypeNameInParentheses : TypeAttributes;
    if (first == u"call") // n > 2 here: "call" followed by a name and more
        return q == u"%" || last == u"%" ? TypeBoundCall : OtherStatement;
    if (first == u"end")
        return EndStatement;
    if (inList(declarationKeywords(), first)) {
        if (n == 2)
            return DeclarationAttributes;
        return inList(expressionOperators(), q) ? InitialValue : DeclarationAttributes;
    }
    if (inList(programUnits(), first))
        return first == u"module" ? ModuleProcedureWord : ProgramUnitHeader;
    if (q == u"%")
        return ComponentReference;
    if (first == u"if" || first == u"else" || first == u"elseif")
        return IfCondition;
    return Executable;
}

QStringList AutocompleteManager::moduleNamesForUse() const
{
    QStringList names;
    if (m_index && m_index->moduleNames)
        names = QStringList(m_index->moduleNames->begin(), m_index->moduleNames->end());
    names += intrinsicModuleNames();
    return names;
}

std::optional<QStringList>
AutocompleteManager::completionsForString(const QString &partial, const ScopeRecord &scope,
                                          QStringView statement,
                                          const CompletionSettings &settings) const
{
    const StatementClassKind kind = classifyFortranStatement(statement);
    QStringList result;
    const QString module = scope.module.value_or(QString());
    const QString procedure = scope.procedure;
    const bool haveProcedures = settings.procedures;
    bool done = false;
    switch (kind) {
    case UseModuleName:
        if (m_index)
            addMatches(partial, m_index->moduleNames, result);
        addMatches(partial, intrinsicModuleNames(), result);
        done = true;
        break;
    case ModuleProcedureWord:
        addMatches(partial, QStringList{QStringLiteral("procedure")}, result);
        done = true;
        break;
    case ProgramUnitHeader:
    case ClassStart:
        done = true;
        break;
    case TypeAttributes:
        addMatches(partial, typeAttrSpec(), result);
        done = true;
        break;
    case DeclarationAttributes:
        addMatches(partial, attrSpec(), result);
        done = true;
        break;
    case EndStatement:
        addMatches(partial, endEndings(), result);
        done = true;
        break;
    default:
        break;
    }
    if (!done) {
        if (kind == InitialValue && settings.intrinsics) {
            addMatches(partial, m_intrinsicFunctions, result);
            addMatches(partial, m_intrinsicKinds, result);
        }
        if (haveProcedures) {
            const SymbolsIndex *index = symbolsIndex();
            const QString procedureKey = QStringLiteral("Procedure_") + procedure.toLower();
            if (scope.derivedTypeComponent) {
                // A component reference offers the type's members and nothing else.
                const bool global = index && index->contains(procedureKey);
                const auto type = derivedTypeForChain(scope.variableChain.value_or(QStringList()),
                                                      procedure, global ? QString() : module);
                gatherDerivedTypeCompletions(partial, type.get(), kind, result);
                return listed(std::move(result));
            }
            QString key = symbolsIndexKey(module, procedure);
            if (!index || key.isNull() || !index->contains(key))
                key = procedureKey;
            gatherDisplayedTextCompletions(partial, kind, key, result);
        }
        if (kind != InitialValue) {
            const bool statementStart =
                kind == OtherStatement || kind == Executable || kind == IfCondition;
            if (statementStart && settings.keywords)
                addMatches(partial, m_keywords, result);
            if (settings.intrinsics) {
                if (kind == CallName)
                    addMatches(partial, m_intrinsicSubroutines, result);
                else if (kind == Executable || kind == IfCondition)
                    addMatches(partial, m_intrinsicFunctions, result);
            }
        }
    }
    return listed(std::move(result));
}

void AutocompleteManager::gatherDisplayedTextCompletions(const QString &partial,
                                                         StatementClassKind kind,
                                                         const QString &key,
                                                         QStringList &out) const
{
    const SymbolsIndex *index = symbolsIndex();
    if (!index || !index->contains(key) || partial.isEmpty())
        return;
    // One walk over the scope's names per class.
    switch (kind) {
    case OtherStatement:
    case InitialValue:
        index->addMatches(key, {SymbolKind::Variable}, partial, out);
        break;
    case TypeNameInParentheses:
        index->addMatches(key, {SymbolKind::Type}, partial, out);
        break;
    case CallName:
        // Variables only of derived type: the start of "call x%p".
        index->addMatches(key, {SymbolKind::Subroutine, SymbolKind::Variable}, partial, out, true);
        addMatches(partial, m_index->subroutineNames, out);
        break;
    case ExternalName:
        index->addMatches(key, {SymbolKind::Subroutine}, partial, out);
        addMatches(partial, m_index->subroutineNames, out);
        break;
    case ComponentReference:
    case TypeBoundCall:
        break;
    default:
        index->addMatches(key, {SymbolKind::Function, SymbolKind::Variable}, partial, out);
        addMatches(partial, m_index->functionNames, out);
        break;
    }
}

void AutocompleteManager::gatherDerivedTypeCompletions(const QString &partial,
                                                       const FDerivedType *type,
                                                       StatementClassKind kind,
                                                       QStringList &out) const
{
    if (!type)
        return;
    std::shared_ptr<FSymbols> computed;
    const FSymbols *z = type->symbols.get();
    if (!z && m_index) {
        // Indexing stores no symbols for types: they are made here, when asked for.
        DeclarationSearch search(m_index->projectModulesDictionary, m_showArgumentLists);
        computed = search.symbolsForDerivedType(*type, type->definingProgramUnit.lock());
        z = computed.get();
    }
    if (!z)
        return;
    const bool all = partial.endsWith(u'%');
    const auto take = [&](const FSymbols::NameSet &set) {
        if (!set)
            return;
        if (all)
            out.append(QStringList(set->begin(), set->end()));
        else
            addMatches(partial, *set, out);
    };
    if (kind == TypeBoundCall) {
        take(z->subroutineProcedureNames);
        take(z->variablesThatAreDerivedTypes);
    } else {
        take(z->functionProcedureNames);
        take(z->variableNames);
    }
}

std::shared_ptr<FProgramUnit> AutocompleteManager::module(const QString &name) const
{
    return m_index ? m_index->projectModulesDictionary.value(name.toLower()) : nullptr;
}

std::shared_ptr<FProgramUnit> AutocompleteManager::unitFor(const QString &procedure,
                                                           const QString &module) const
{
    if (!m_displayed)
        return nullptr;
    const QString m = given(module);
    const QString p = sameName(procedure, module) ? QString() : given(procedure);
    if (!m.isNull() && p.isNull())
        return m_displayed->moduleNamed(m);
    if (p.isNull())
        return nullptr;
    return m_displayed->procedureNamed(p, m);
}

namespace
{

// Depth-first search through the modules a unit uses, each module once.
template <typename T>
std::shared_ptr<T> searchUsedModules(
    const FProgramUnit &unit, const std::function<std::shared_ptr<FProgramUnit>(const QString &)> &moduleNamed,
    const std::function<std::shared_ptr<T>(const FProgramUnit &)> &own, QSet<QString> &visited)
{
    if (!unit.modulesUsed)
        return nullptr;
    for (const QString &name : *unit.modulesUsed) {
        const QString key = name.toLower();
        if (visited.contains(key))
            continue;
        visited.insert(key);
        const auto m = moduleNamed(key);
        if (!m)
            continue;
        if (auto hit = own(*m))
            return hit;
        if (auto hit = searchUsedModules<T>(*m, moduleNamed, own, visited))
            return hit;
    }
    return nullptr;
}

} // namespace

std::shared_ptr<FVariable>
AutocompleteManager::variableNamedInUsedModules(const QString &name, const FProgramUnit &unit) const
{
    QSet<QString> visited;
    return searchUsedModules<FVariable>(
        unit, [this](const QString &n) { return module(n); },
        [&](const FProgramUnit &m) { return lookupDeclaration(m.variables, name); }, visited);
}

std::shared_ptr<FDerivedType>
AutocompleteManager::typeNamedInUsedModules(const QString &name, const FProgramUnit &unit) const
{
    QSet<QString> visited;
    return searchUsedModules<FDerivedType>(
        unit, [this](const QString &n) { return module(n); },
        [&](const FProgramUnit &m) { return lookupDeclaration(m.types, name); }, visited);
}

std::shared_ptr<FDerivedType> AutocompleteManager::derivedTypeForVariableName(
    const QString &variable, const QString &procedure, const QString &module) const
{
    const auto unit = unitFor(procedure, module);
    if (!unit)
        return nullptr;
    auto v = lookupDeclaration(unit->variables, variable);
    if (!v)
        v = variableNamedInUsedModules(variable, *unit);
    if (!v) {
        if (const auto host = unit->definingProgramUnit.lock()) {
            v = lookupDeclaration(host->variables, variable);
            if (!v)
                v = variableNamedInUsedModules(variable, *host);
        }
    }
    if (!v || !v->isDerivedType)
        return nullptr;
    return typeNamed(v->typeName, procedure, module);
}

std::shared_ptr<FDerivedType> AutocompleteManager::typeNamed(const QString &type,
                                                             const QString &procedure,
                                                             const QString &module) const
{
    const auto unit = unitFor(procedure, module);
    if (!unit || type.isEmpty())
        return nullptr;
    if (auto t = lookupDeclaration(unit->types, type))
        return t;
    if (auto t = typeNamedInUsedModules(type, *unit))
        return t;
    if (const auto host = unit->definingProgramUnit.lock()) {
        if (auto t = lookupDeclaration(host->types, type))
            return t;
        return typeNamedInUsedModules(type, *host);
    }
    return nullptr;
}

std::shared_ptr<FVariable> AutocompleteManager::componentNamed(const FDerivedType &type,
                                                               const QString &name) const
{
    // Components inherited from parent types count too; a type that extends itself ends.
    QSet<const FDerivedType *> seen;
    for (const FDerivedType *t = &type; t && !seen.contains(t); t = t->superclassType.get()) {
        seen.insert(t);
        if (auto v = lookupDeclaration(t->variables, name))
            return v;
    }
    return nullptr;
}

std::shared_ptr<FDerivedType> AutocompleteManager::derivedTypeForChain(const QStringList &chain,
                                                                       const QString &procedure,
                                                                       const QString &module) const
{
    if (chain.isEmpty())
        return nullptr;
    auto type = derivedTypeForVariableName(chain.last(), procedure, module);
    for (qsizetype i = chain.size() - 2; type && i >= 0; --i) {
        const auto component = componentNamed(*type, chain[i]);
        if (!component || !component->isDerivedType)
            return nullptr;
        auto next = typeNamed(component->typeName, procedure, module);
        if (!next) {
            // The component's type may be known only where its container is defined.
            if (const auto owner = type->definingProgramUnit.lock()) {
                next = lookupDeclaration(owner->types, component->typeName);
                if (!next)
                    next = typeNamedInUsedModules(component->typeName, *owner);
            }
        }
        type = next;
    }
    return type;
}

} // namespace corvane
