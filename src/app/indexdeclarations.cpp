#include "indexdeclarations.h"

#include "analysis/declarationjson.h"
#include "analysis/ffileparser.h"

namespace corvane::app
{

QString declarationDumpText(const QString &path, const QString &text, unsigned fileType)
{
    FFileParser parser;
    return parser.declarationsInFortranFile(path, text, fileType)->description();
}

QString declarationJsonText(const QString &path, const QString &text, unsigned fileType)
{
    FFileParser parser;
    return declarationsJson(*parser.declarationsInFortranFile(path, text, fileType));
}

} // namespace corvane::app
