#include "analysis/fprogramunit.h"

#include <vector>

namespace corvane
{

const QStringList &FProgramUnit::programUnitTypeNames()
{
    static const QStringList names = {QStringLiteral("None"), QStringLiteral("Module"),
                                      QStringLiteral("Subroutine"), QStringLiteral("Function"),
                                      QStringLiteral("Main Program"), QStringLiteral("Submodule")};
    return names;
}

std::optional<QStringList> FProgramUnit::variableNames() const
{
    return declarationNames(variables);
}

std::optional<QStringList> FProgramUnit::procedureNames() const
{
    return declarationNames(procedures);
}

std::optional<QStringList> FProgramUnit::typeNames() const
{
    return declarationNames(types);
}

std::optional<QStringList> FProgramUnit::variableNamesForProcedureNamed(const QString &name) const
{
    if (pUnitType != ModuleType)
        return std::nullopt;
    const auto procedure = lookupDeclaration(procedures, name);
    if (!procedure)
        return std::nullopt;
    return procedure->variableNames();
}

FDeclaration FProgramUnit::objectWithName(const QString &name) const
{
    if (auto v = lookupDeclaration(variables, name))
        return v;
    if (auto p = lookupDeclaration(procedures, name))
        return p;
    if (auto t = lookupDeclaration(types, name))
        return t;
    return std::monostate();
}

std::optional<QStringList> FProgramUnit::procedureNamesOfType(unsigned unitType,
                                                              bool showArgumentLists) const
{
    if (!procedures)
        return std::nullopt;
    QStringList entries;
    for (const auto &entry : *procedures) {
        const auto &p = entry.second;
        if (!p || p->pUnitType != unitType)
            continue;
        QString text = p->genericName.isNull() ? p->name : p->genericName;
        const qsizetype count = p->arguments ? p->arguments->size() : 0;
        const QString suffix =
            completionSuffixForArguments(p->argumentList, count, showArgumentLists);
        if (!suffix.isNull())
            text += suffix;
        entries.append(text);
    }
    return entries;
}

QString completionSuffixForArguments(const QString &argumentList, qsizetype argumentCount,
                                     bool showArgumentLists)
{
    if (showArgumentLists) {
        if (argumentList.isNull())
            return QString();
        QString suffix = argumentList;
        suffix.replace(QLatin1Char(','), QStringLiteral(" = !^,"));
        if (argumentCount != 0)
            suffix.replace(QLatin1Char(')'), QStringLiteral(" = !^)"));
        return suffix;
    }
    if (argumentCount <= 0)
        return QString();
    QString suffix = QStringLiteral("(!^");
    for (qsizetype i = 1; i < argumentCount; ++i)
        suffix += QStringLiteral(", !^");
    suffix += QLatin1Char(')');
    return suffix;
}

// Contained procedures can nest thousands deep (text without END statements), so the dump and the
// destructor walk the tree with an explicit stack instead of recursing.
namespace
{

struct DumpStep {
    const FProgramUnit *unit = nullptr; // a unit to dump, or
    QString text;                       // literal text to append
};

void appendHead(const FProgramUnit &u, QString &s)
{
    static const char *const headings[] = {nullptr,    "Module ",  "Subroutine ",
                                           "Function ", "Program ", "Submodule "};
    s += QLatin1String(headings[u.pUnitType]) + dumpText(u.name) + QLatin1Char('\n');
    s += QStringLiteral("\t*********************\n");
    if (u.returnVariable)
        s += QStringLiteral("\tReturn type: \n") + u.returnVariable->description();
    if (u.arguments) {
        s += QStringLiteral("\tArguments: \n");
        for (const auto &a : *u.arguments)
            s += QStringLiteral("\t\t") + (a ? a->description() : dumpText(QString())) +
                 QLatin1Char('\n');
    }
    if (u.modulesUsed) {
        s += QStringLiteral("\t\tModules used:\n");
        for (const QString &m : *u.modulesUsed)
            s += QStringLiteral("\t\t\t") + m + QLatin1Char(',');
    }
    if (u.types) {
        s += QStringLiteral("\nDerived types defined: \n\t");
        for (const auto &entry : *u.types) {
            if (const auto t = lookupDeclaration(u.types, entry.first))
                s += t->description();
            s += QStringLiteral("\n\t");
        }
    }
    if (u.variables) {
        s += QStringLiteral("\n\tVariables: \n\t");
        for (const auto &entry : *u.variables) {
            if (const auto v = lookupDeclaration(u.variables, entry.first))
                s += v->description();
            s += QStringLiteral("\n\t");
        }
    }
}

} // namespace

QString FProgramUnit::description() const
{
    QString s;
    std::vector<DumpStep> stack;
    stack.push_back({this, {}});
    while (!stack.empty()) {
        DumpStep step = std::move(stack.back());
        stack.pop_back();
        if (!step.unit) {
            s += step.text;
            continue;
        }
        const FProgramUnit &u = *step.unit;
        if (u.pUnitType == NoUnitType || u.pUnitType > SubmoduleType)
            continue;
        appendHead(u, s);
        // Pushed in reverse: procedures heading, each procedure and "\n", then the alias.
        if (!u.genericName.isNull())
            stack.push_back({nullptr, QStringLiteral("Alias: ") + u.genericName});
        if (u.procedures) {
            const auto keys = u.procedures->keys();
            for (qsizetype i = keys.size() - 1; i >= 0; --i) {
                stack.push_back({nullptr, QStringLiteral("\n")});
                if (const auto p = lookupDeclaration(u.procedures, keys[i]))
                    stack.push_back({p.get(), {}});
            }
            stack.push_back({nullptr, QStringLiteral("\nProcedures: \n\t")});
        }
    }
    return s;
}

FProgramUnit::~FProgramUnit()
{
    // Detach sole-owned contained procedures before they die, so that freeing a deep chain
    // never recurses.
    std::vector<std::shared_ptr<FProgramUnit>> pending;
    auto detach = [&pending](FProgramUnit &u) {
        if (!u.procedures)
            return;
        for (auto &entry : *u.procedures) {
            if (entry.second && entry.second.use_count() == 1)
                pending.push_back(std::move(entry.second));
        }
        u.procedures.reset();
    };
    detach(*this);
    while (!pending.empty()) {
        std::shared_ptr<FProgramUnit> p = std::move(pending.back());
        pending.pop_back();
        detach(*p);
    }
}

} // namespace corvane
