#include "analysis/fvariable.h"

#include <mutex>
#include <set>

namespace corvane
{

AccessText &AccessText::operator=(const QString &text)
{
    if (text.isNull()) {
        m_spelling = nullptr;
        return *this;
    }
    // The lower-case keywords are nearly all there is, and need no lock.
    static const QString common[] = {QStringLiteral("public"), QStringLiteral("private"),
                                     QStringLiteral("protected")};
    for (const QString &keyword : common) {
        if (text == keyword) {
            m_spelling = &keyword;
            return *this;
        }
    }
    // Other spellings live as long as the process; a set's nodes never move.
    static std::mutex mutex;
    static std::set<QString> others;
    const std::lock_guard lock(mutex);
    m_spelling = &*others.insert(text).first;
    return *this;
}

const QString &AccessText::text() const
{
    static const QString null;
    return m_spelling ? *m_spelling : null;
}

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
