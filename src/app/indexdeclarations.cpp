#include "indexdeclarations.h"

#include "analysis/declarationjson.h"
#include "analysis/ffileparser.h"

namespace corvane::app
{

namespace
{

std::shared_ptr<FFileDeclarations> parse(const QString &path, SourceForIndexing &source,
                                         unsigned fileType)
{
    FFileParser parser;
    return parser.declarationsInFortranFile(path, std::move(source.text), fileType,
                                            source.sourceMap ? &*source.sourceMap : nullptr);
}

} // namespace

QString declarationDumpText(const QString &path, SourceForIndexing &&source, unsigned fileType)
{
    return parse(path, source, fileType)->description();
}

QString declarationJsonText(const QString &path, SourceForIndexing &&source, unsigned fileType)
{
    return declarationsJson(*parse(path, source, fileType));
}

} // namespace corvane::app
