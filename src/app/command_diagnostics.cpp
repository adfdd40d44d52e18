// corvane diagnostics --compiler PATH [LOG]: reads a compiler's error output (LOG or standard
// input), parses it as a build does and prints the diagnostics as JSON for editors and scripts.
#include "analysis/declarationjson.h"
#include "build/errorparser.h"
#include "commands.h"

#include <QFile>

#include <cstdio>

namespace corvane::app
{

namespace
{

QString diagnosticsJson(const std::optional<ErrorsDictionary> &files, quint64 maxErrorLevel)
{
    QString json = QStringLiteral("{\"maxErrorLevel\": %1, \"files\": ").arg(maxErrorLevel);
    if (!files)
        return json + QLatin1String("null}\n");
    json += QLatin1Char('{');
    bool firstFile = true;
    for (const auto &[path, rows] : *files) {
        json += (firstFile ? QString() : QStringLiteral(", ")) + jsonQuoted(path) +
                QLatin1String(": [");
        firstFile = false;
        for (qsizetype i = 0; i < rows.size(); ++i) {
            const FindResult &r = rows[i];
            // Put together piece by piece: the message is the compiler's text and may hold
            // "%1", which a chain of arg() calls would fill in.
            json += (i ? QStringLiteral(", ") : QString()) + QStringLiteral("{\"lineNumber\": ") +
                    QString::number(r.lineNumber) + QStringLiteral(", \"columnNumber\": ") +
                    QString::number(r.columnNumber) + QStringLiteral(", \"lineText\": ") +
                    jsonQuoted(r.lineText) + QStringLiteral(", \"errorType\": ") +
                    QString::number(r.errorType) + QLatin1Char('}');
        }
        json += QLatin1Char(']');
    }
    return json + QLatin1String("}}\n");
}

int runDiagnostics(const QStringList &args)
{
    QString compiler;
    QString file;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--compiler") && i + 1 < args.size()) {
            compiler = args[++i];
        } else if (args[i].startsWith(QLatin1String("--compiler="))) {
            compiler = args[i].mid(11);
        } else if (file.isEmpty() && !args[i].startsWith(QLatin1String("--"))) {
            file = args[i];
        } else {
            err() << "corvane diagnostics: unexpected argument " << args[i] << "\n"
                  << usageText("diagnostics");
            err().flush();
            return 2;
        }
    }
    if (compiler.isEmpty()) {
        err() << "corvane diagnostics: --compiler PATH is required\n" << usageText("diagnostics");
        err().flush();
        return 2;
    }
    QFile input;
    const bool opened = file.isEmpty() ? input.open(stdin, QIODevice::ReadOnly)
                                       : (input.setFileName(file), input.open(QIODevice::ReadOnly));
    if (!opened) {
        err() << "corvane diagnostics: cannot read " << file << ": " << input.errorString() << "\n";
        err().flush();
        return 1;
    }
    // The build driver hands the parser the error stream with one blank in front.
    const QString text = QLatin1Char(' ') + QString::fromUtf8(input.readAll());
    ErrorParser parser;
    const std::optional<ErrorsDictionary> files = parser.parseErrorString(text, compiler);
    out() << diagnosticsJson(files, parser.maxErrorLevel());
    out().flush();
    return 0;
}

} // namespace

constexpr CommandOption kOptions[] = {
    {"--compiler", "PATH", "the compiler whose output it is (its name picks the reading)"}};

CORVANE_COMMAND({.name = "diagnostics",
                 .purpose = "parse a compiler's error output into diagnostics as JSON",
                 .usage = "diagnostics --compiler PATH [LOG]",
                 .options = kOptions,
                 .run = runDiagnostics});

} // namespace corvane::app
