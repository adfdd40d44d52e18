// FVariable: one variable, derived-type component, dummy argument or function result.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace corvane
{

// The dumps render an absent text the way a format with a missing argument would.
QString dumpText(const QString &text);

// An access keyword as written ("public", "PRIVATE", "protected", ...) or null, held as a
// pointer to the process's one copy of its spelling: a project has a handful of spellings and
// a hundred thousand variables, each of which would otherwise carry a string of its own.
class AccessText
{
public:
    AccessText() = default;
    AccessText(const QString &text) { *this = text; }
    AccessText &operator=(const QString &text);

    const QString &text() const;
    operator const QString &() const { return text(); }
    bool isNull() const { return m_spelling == nullptr; }

private:
    const QString *m_spelling = nullptr;
};

class FVariable
{
public:
    QString name;
    // Type text: "integer", "integer(kind=8)", "double precision", a derived type name, "*"
    // for class(*), or implicitTypeName for an entity known only from an argument list or an
    // attribute statement.
    QString typeName;
    std::optional<QStringList> attributes; // as written, in order of appearance
    QString declaredValue;                 // null when there is no initialisation
    bool isDerivedType = false;
    AccessText access; // "public", "private", "protected" as written, or null

    static inline const QString implicitTypeName = QStringLiteral("(IMPLICIT)");

    // Text dump: name, type, value and attributes.
    QString description() const;
};

} // namespace corvane
