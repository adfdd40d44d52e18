#include "analysis/fvariable.h"

namespace corvane
{

QString dumpText(const QString &text)
{
    return text.isNull() ? QStringLiteral("(null)") : text;
}

QString FVariable::description() const
{
    QString s;
    s += QStringLiteral("\nVariable Named: ") + dumpText(name) + QLatin1Char('\n');
    s += QStringLiteral("\nType: ") + dumpText(typeName) + QLatin1Char('\n');
    if (!declaredValue.isNull())
        s += QStringLiteral("\nDeclared Value: ") + declaredValue + QLatin1Char('\n');
    if (attributes) {
        s += QStringLiteral("\nAttributes:");
        for (const QString &a : *attributes)
            s += QStringLiteral("\n\t") + a;
        s += QLatin1Char('\n');
    }
    return s;
}

} // namespace corvane
