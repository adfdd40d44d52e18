#include "analysis/finfoformatter.h"

namespace corvane
{

namespace
{

const QString kUnlimitedPolymorphic = QStringLiteral("CLASS(*)");

QString displayedTypeName(const FVariable &v)
{
    return v.typeName == QLatin1String("*") ? kUnlimitedPolymorphic : v.typeName;
}

} // namespace

QString FInfoFormatter::declaredIn(const QString &procedure, const QString &module,
                                   const QString &type, const QString &file)
{
    QString s = QStringLiteral("\n Declared in:\n");
    if (!type.isNull())
        s += QStringLiteral("\tType:      %1\n").arg(type);
    if (!procedure.isNull())
        s += QStringLiteral("\tProcedure: %1\n").arg(procedure);
    if (!module.isNull())
        s += QStringLiteral("\tModule:    %1\n").arg(module);
    s += QStringLiteral("\tFile:      ") + file;
    return s;
}

QString FInfoFormatter::declarationToDisplay(const FDeclaration &record, const QString &procedure,
                                             const QString &module, const QString &type,
                                             const QString &file)
{
    QString body;
    if (const auto *v = std::get_if<std::shared_ptr<FVariable>>(&record); v && *v)
        body = variableInfo(**v);
    else if (const auto *t = std::get_if<std::shared_ptr<FDerivedType>>(&record); t && *t)
        body = derivedTypeInfo(**t);
    else if (const auto *u = std::get_if<std::shared_ptr<FProgramUnit>>(&record); u && *u)
        body = (*u)->pUnitType == ModuleType ? moduleInfo(**u) : procedureInfo(**u);
    else
        return QString();
    return body + declaredIn(procedure, module, type, file);
}

QString FInfoFormatter::declarationToDisplay(const FTypeboundProc &binding,
                                             const QString &procedure, const QString &module,
                                             const QString &type, const QString &file)
{
    Q_UNUSED(binding);
    return QStringLiteral("Type bound procedure") + declaredIn(procedure, module, type, file);
}

QString FInfoFormatter::variableInfo(const FVariable &v)
{
    QString s = QStringLiteral(" Variable Name: \t") + v.name + QLatin1Char('\n');
    s += QStringLiteral(" Type:          \t") + displayedTypeName(v) + QLatin1Char('\n');
    if (!v.access.isNull())
        s += QStringLiteral(" Access:        \t") + v.access + QLatin1Char('\n');
    if (v.attributes) {
        s += QStringLiteral(" Attributes:    \t");
        for (const QString &a : *v.attributes)
            s += a + QLatin1Char(' ');
    }
    s += QLatin1Char('\n');
    if (!v.declaredValue.isNull())
        s += QStringLiteral(" Declared Value:\t") + v.declaredValue + QLatin1Char('\n');
    return s;
}

QString FInfoFormatter::procedureInfo(const FProgramUnit &u)
{
    QString s = QStringLiteral(" Procedure Name:\t") + u.name + QLatin1Char(' ');
    if (!u.genericName.isNull())
        s += QStringLiteral("(Generic Name: %1)").arg(u.genericName);
    const QStringList &kinds = FProgramUnit::programUnitTypeNames();
    s += QStringLiteral("\n Type:          \t") +
         (u.pUnitType < unsigned(kinds.size()) ? kinds[u.pUnitType] : kinds[0]);
    if (u.returnVariable)
        s +=
            QStringLiteral("\n Return Type:   \t") + u.returnVariable->typeName + QLatin1Char('\n');
    if (!u.access.isNull())
        s += QStringLiteral("\n Access:        \t") + u.access;
    if (!u.argumentList.isNull())
        s += QStringLiteral("\n Arguments:     \t") + u.argumentList + QLatin1Char('\n');
    if (u.modulesUsed) {
        s += QStringLiteral("\n Modules USEed:");
        for (const QString &m : *u.modulesUsed)
            s += QStringLiteral(" \n\t") + m;
    }
    if (u.arguments) {
        s += QStringLiteral("\n Argument Attributes:\n");
        QList<std::shared_ptr<FVariable>> table;
        for (const auto &arg : *u.arguments)
            if (arg)
                if (auto v = lookupDeclaration(u.variables, arg->name))
                    table.append(v);
        appendVariables(table, s);
        s += QLatin1Char('\n');
    }
    return s;
}

QString FInfoFormatter::moduleInfo(const FProgramUnit &m)
{
    QString s = QStringLiteral(" Module Name:\t") + m.name + QLatin1Char('\n');
    if (!m.access.isNull())
        s += QStringLiteral(" Access:\t") + m.access + QLatin1Char('\n');
    if (m.modulesUsed) {
        s += QStringLiteral(" Modules USEed: ");
        for (const QString &name : *m.modulesUsed)
            s += QStringLiteral("\n\t") + name + QLatin1Char(' ');
        s += QLatin1Char('\n');
    }
    if (m.variables) {
        s += QStringLiteral(" Variables:\n");
        appendVariables(m.variables->values(), s);
    }
    if (m.procedures && !m.procedures->isEmpty()) {
        s += QStringLiteral(" Procedures:\n");
        for (const auto &entry : *m.procedures)
            s += QLatin1Char('\t') + (entry.second ? entry.second->name : QString()) +
                 QLatin1Char('\n');
    }
    return s;
}

QString FInfoFormatter::derivedTypeInfo(const FDerivedType &t)
{
    QString s = QStringLiteral(" Type Name:  ") + t.name + QLatin1Char('\n');
    if (!t.superclassName.isNull())
        s += QStringLiteral(" Extends:    ") + t.superclassName + QLatin1Char('\n');
    if (!t.access.isNull())
        s += QStringLiteral(" Access:     ") + t.access + QLatin1Char('\n');
    if (t.attributes) {
        s += QStringLiteral(" Attributes: ");
        for (const QString &a : *t.attributes)
            s += QLatin1Char(' ') + a;
        s += QStringLiteral("\n\n");
    }
    if (t.variables) {
        s += QStringLiteral(" Variables:\n\n");
        appendVariables(t.variables->values(), s);
    }
    if (t.typeboundProcedures) {
        s += QStringLiteral("\n Type bound procedures:\n");
        for (const auto &b : *t.typeboundProcedures) {
            if (!b)
                continue;
            if (!b->bindingName.isNull())
                s += QLatin1Char('\t') + b->bindingName + QStringLiteral(" => ") + b->name +
                     QLatin1Char('\n');
            else
                s += QLatin1Char('\t') + b->name + QLatin1Char('\n');
        }
    }
    s += QLatin1Char('\n');
    return s;
}

void FInfoFormatter::appendVariables(const QList<std::shared_ptr<FVariable>> &variables,
                                     QString &info)
{
    qsizetype longest = 0;
    for (const auto &v : variables)
        if (v)
            longest = std::max(longest, v->name.size());
    const qsizetype width = longest + 1;
    for (const auto &v : variables) {
        if (!v)
            continue;
        // "\t%@%@ :: ": the name, W minus its length blanks, then " :: ".
        info += QLatin1Char('\t') + v->name + QString(width - v->name.size(), QLatin1Char(' ')) +
                QStringLiteral(" :: ");
        if (v->typeName == QLatin1String("*"))
            info += kUnlimitedPolymorphic;
        else if (v->isDerivedType)
            info += QStringLiteral("TYPE(%1)").arg(v->typeName);
        else
            info += v->typeName;
        if (v->attributes)
            for (const QString &a : *v->attributes)
                info += QStringLiteral(", ") + a;
        if (!v->declaredValue.isNull())
            info += QStringLiteral(", = ") + v->declaredValue;
        info += QLatin1Char('\n');
    }
}

} // namespace corvane
