// libFuzzer target for the declaration parser: any bytes, read as UTF-8 (invalid sequences become
// replacement characters) and parsed in both source forms, must neither crash nor hang, and the
// records must be dumpable.
#include "analysis/declarationjson.h"
#include "analysis/ffileparser.h"

#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    for (unsigned form : {0u, 1u}) {
        corvane::FFileParser parser;
        const auto file = parser.declarationsInFortranFile(QStringLiteral("/fuzz.f90"), text, form);
        (void)file->description();
        (void)corvane::declarationsJson(*file);
    }
    return 0;
}
