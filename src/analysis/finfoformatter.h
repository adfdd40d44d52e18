// FInfoFormatter: the plain text of the info popover for one declaration record: what it is, its
// type, attributes, arguments or components, and where it was declared. It only formats; finding
// the record is DeclarationSearch's job. Stateless.
#pragma once

#include "analysis/fprogramunit.h"
#include "analysis/ftypeboundproc.h"

#include <QString>

namespace corvane
{

class FInfoFormatter
{
public:
    // The body by kind of record followed by the "Declared in" lines; a null string for an
    // empty record. Null scope names are left out.
    static QString declarationToDisplay(const FDeclaration &record, const QString &procedure,
                                        const QString &module, const QString &type,
                                        const QString &file);
    static QString declarationToDisplay(const FTypeboundProc &binding, const QString &procedure,
                                        const QString &module, const QString &type,
                                        const QString &file);

    static QString variableInfo(const FVariable &variable);
    static QString procedureInfo(const FProgramUnit &unit);
    static QString moduleInfo(const FProgramUnit &module);
    static QString derivedTypeInfo(const FDerivedType &type);
    // One line per variable, names padded so that the "::" line up.
    static void appendVariables(const QList<std::shared_ptr<FVariable>> &variables, QString &info);

private:
    static QString declaredIn(const QString &procedure, const QString &module, const QString &type,
                              const QString &file);
};

} // namespace corvane
