// The declaration modes of `corvane index FILE... --dump|--json`: what the declaration parser
// records for one source text, as the records' text dump or as one line of JSON.
#pragma once

#include "project/indexpreprocessing.h"

#include <QString>

namespace corvane::app
{

// The FFileDeclarations description of source (fileType 1 free form, 0 fixed form). The text
// is handed over to the parser, which may join long continued statements in it.
QString declarationDumpText(const QString &path, SourceForIndexing &&source, unsigned fileType);
// The same records as one compact JSON object, without a line end.
QString declarationJsonText(const QString &path, SourceForIndexing &&source, unsigned fileType);

} // namespace corvane::app
