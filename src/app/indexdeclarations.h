// The declaration modes of `corvane index FILE... --dump|--json`: what the declaration parser
// records for one source text, as the records' text dump or as one line of JSON.
#pragma once

#include <QString>

namespace corvane::app
{

// The FFileDeclarations description of text (fileType 1 free form, 0 fixed form).
QString declarationDumpText(const QString &path, const QString &text, unsigned fileType);
// The same records as one compact JSON object, without a line end.
QString declarationJsonText(const QString &path, const QString &text, unsigned fileType);

} // namespace corvane::app
