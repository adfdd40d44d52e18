// FVariable: one variable, derived-type component, dummy argument or function result.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace corvane
{

// The dumps render an absent text the way a format with a missing argument would.
QString dumpText(const QString &text);

class FVariable
{
public:
    QString name;
    // Type text: "integer", "integer(kind=8)", "double precision", a derived type name, "*"
    // for class(*), or implicitTypeName for an entity known only from an argument list or an
    // attribute statement.
    QString typeName;
    bool isDerivedType = false;
    std::optional<QStringList> attributes; // as written, in order of appearance
    QString declaredValue;                 // null when there is no initialisation
    QString access;                        // "public", "private", "protected" as written, or null

    static inline const QString implicitTypeName = QStringLiteral("(IMPLICIT)");

    // Text dump: name, type, value and attributes.
    QString description() const;
};

} // namespace corvane
