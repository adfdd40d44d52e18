#include "analysis/fderivedtype.h"

namespace corvane
{

QStringList FDerivedType::variableNames() const
{
    return declarationNames(variables).value_or(QStringList());
}

QString FDerivedType::description() const
{
    QString s = QStringLiteral("\nDerived Type Named: ") + dumpText(name) + QLatin1Char('\n');
    if (!superclassName.isNull())
        s += QStringLiteral("\nExtends:") + superclassName + QLatin1Char('\n');
    if (attributes) {
        s += QStringLiteral("\nAttributes:");
        for (const QString &a : *attributes)
            s += QStringLiteral("\n\t") + a;
        s += QLatin1Char('\n');
    }
    if (variables) {
        s += QStringLiteral("Variables: \n\t");
        for (const auto &entry : *variables) {
            if (const auto v = lookupDeclaration(variables, entry.first))
                s += v->description();
            s += QStringLiteral("\n\t");
        }
    }
    if (typeboundProcedures) {
        s += QStringLiteral("Type Bound Procedures: \n\t");
        for (const auto &binding : *typeboundProcedures)
            s += dumpText(binding ? binding->name : QString()) + QStringLiteral("\n\t");
    }
    return s;
}

} // namespace corvane
