// IntrinsicPages: Corvane's own reference page for each Fortran intrinsic procedure and each
// procedure of the intrinsic modules, read once from the table compiled into the program
// (":/intrinsics.txt") and rendered as HTML for the page popover or as plain text for the
// command line.
//
// The table, one entry per procedure (blank lines and lines starting with "#" are passed over):
//     @module ieee_arithmetic                        entries below belong to that module
//     sqrt | elemental function | Fortran 77          name | classes | standard that added it
//       x | real or complex | any | scalar or array | in     one argument; "[x]" if optional
//       = real or complex, like x                    the result
//       : The square root of x. ...                  the description (several ":" lines join)
//       > r = sqrt(2.0)                              the example, one line each
//     dsqrt = sqrt | double precision | double precision | FORTRAN 77
//                                                    an old specific name: generic | argument
//                                                    type | result type | standard
// An argument line may stop after its type: the kind is then "any", the rank "scalar or array"
// for elemental procedures and "scalar" for the others, and the intent "in".
#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace corvane
{

struct IntrinsicArgument {
    QString name;
    bool optional = false;
    QString type, kind, rank, intent;
};

struct IntrinsicPage {
    QString name;
    QStringList classes; // elemental, inquiry, transformational, function, subroutine, ...
    QString standard;    // the standard that introduced it, "Fortran 2008"
    QString module;      // the intrinsic module that provides it; empty for the language's own
    QList<IntrinsicArgument> arguments;
    QString result; // empty for a subroutine
    QString description;
    QStringList example;

    bool isSubroutine() const { return classes.contains(QStringLiteral("subroutine")); }
    QString html() const;
    QString plainText() const;
};

class IntrinsicPages
{
public:
    static constexpr char ResourcePath[] = ":/intrinsics.txt";
    // The class words an entry may use.
    static const QStringList &classWords();

    static const IntrinsicPages &instance();
    // Reads a table; every line that is not understood, and every entry that lacks a part, is
    // told in errors as "line N: what" and the entry is left out.
    static IntrinsicPages parse(QStringView table, QStringList *errors = nullptr);

    // The page of a name in any letter case, or null.
    const IntrinsicPage *page(const QString &name) const;
    QStringList names() const; // lower case, table order
    qsizetype size() const { return m_pages.size(); }

private:
    QList<IntrinsicPage> m_pages;
    QHash<QString, qsizetype> m_index;
};

} // namespace corvane
