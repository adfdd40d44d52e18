// libFuzzer target for the diagnostics readers: any bytes, read as UTF-8, through every reader
// must neither crash nor hang, and every row must be filed under its own path.
#include "build/errorparser.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    using Read =
        std::optional<corvane::ErrorsDictionary> (corvane::ErrorParser::*)(const QString &);
    const Read readers[] = {
        &corvane::ErrorParser::parseGFortranErrorString,
        &corvane::ErrorParser::parseG95ErrorString,
        &corvane::ErrorParser::parsePGFortranErrorString,
        &corvane::ErrorParser::parseIFortErrorString,
        &corvane::ErrorParser::parseAbsoftErrorString,
        &corvane::ErrorParser::parseAbsoftNewErrorString,
        &corvane::ErrorParser::parseNAGErrorString,
        &corvane::ErrorParser::parseFlangErrorString,
        &corvane::ErrorParser::parseLFortranErrorString,
    };
    for (Read read : readers) {
        corvane::ErrorParser parser;
        const auto result = (parser.*read)(text);
        if (parser.maxErrorLevel() > 2)
            std::abort();
        if (result)
            for (const auto &[path, rows] : *result)
                for (const corvane::FindResult &row : rows)
                    if (row.filePath != path || (row.errorType != 1 && row.errorType != 2))
                        std::abort();
    }
    (void)corvane::ErrorParser::isLoaderOutput(text);
    return 0;
}
