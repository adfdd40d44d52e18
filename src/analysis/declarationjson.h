// JSON form of a file's declaration records, for tools and tests: field names as in the records,
// absent fields left out, dictionaries as objects in their own (source) order, back references
// (definingProgramUnit) as the host's name. One compact line per file.
#pragma once

#include "analysis/ffiledeclarations.h"

#include <QString>

namespace corvane
{

QString declarationsJson(const FFileDeclarations &file);
QString declarationsJson(const FProgramUnit &unit);
// text as a JSON string literal, quotes included.
QString jsonQuoted(const QString &text);
// The characters of text escaped as jsonQuoted does, without the quotes, appended to out.
void appendJsonEscaped(QString &out, QStringView text);

} // namespace corvane
