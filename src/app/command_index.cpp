// corvane index FILES... --statements|--dump|--json [--fixed|--free]: reads Fortran sources without a project and
// prints what the code-understanding engine sees in them. Each mode is one function in kModes,
// chosen by its flag; the file list, the source form and the reading of files are shared.
#include "analysis/declarationjson.h"
#include "analysis/fstatementreader.h"
#include "analysis/fttokenizer.h"
#include "command_index_project.h"
#include "commands.h"
#include "indexdeclarations.h"
#include "project/fortranfile.h"
#include "sourcetext.h"


#include <optional>

namespace corvane::app
{

namespace
{

enum class SourceForm { ByExtension, Fixed, Free };

struct IndexRequest {
    QStringList paths;
    SourceForm form = SourceForm::ByExtension;
};

// The source form of path: forced by --fixed/--free, else by its extension as a project file's
// record decides it (f, for, f77, ftn fixed; everything else free).
unsigned fileTypeFor(const QString &path, SourceForm form)
{
    switch (form) {
    case SourceForm::Fixed:
        return FStatementReader::FixedForm;
    case SourceForm::Free:
        return FStatementReader::FreeForm;
    case SourceForm::ByExtension:
        break;
    }
    return FortranFile::isFixedFormPath(path) ? FStatementReader::FixedForm
                                              : FStatementReader::FreeForm;
}

std::optional<QString> readSource(const QString &path)
{
    return readSourceText(path, "index");
}

// --statements: every logical statement as one JSON object per line (keys in the order a JSON
// object of Qt writes them). The line is written piece by piece and the tokens stay views into
// the statement: a statement of 50 MB must not become a JSON tree and a string per token.
int printStatements(const IndexRequest &request)
{
    int status = 0;
    FStatementReader reader;
    QList<QStringView> tokens;
    for (const QString &path : request.paths) {
        const std::optional<QString> text = readSource(path);
        if (!text) {
            status = 1;
            continue;
        }
        const QString quotedPath = jsonQuoted(path);
        reader.filePath = path;
        reader.startReading(*text, fileTypeFor(path, request.form));
        QTextStream &o = out();
        while (!reader.scanner.isAtEnd()) {
            const std::optional<QString> statement = reader.nextFortranStatement();
            if (!statement)
                continue;
            tokens.clear();
            FTTokenizer::tokenize(QStringView(*statement), tokens);
            o << "{\"class\":"
              << jsonQuoted(statementClassName(FStatementReader::classifyStatementFromTokens(tokens)))
              << ",\"file\":" << quotedPath << ",\"text\":" << jsonQuoted(*statement)
              << ",\"tokens\":[";
            for (qsizetype i = 0; i < tokens.size(); ++i)
                o << (i ? "," : "") << jsonQuoted(tokens[i].toString());
            o << "]}\n";
        }
        tokens = QList<QStringView>(); // gives the memory back
        o.flush();
    }
    return status;
}

// --dump and --json: the declaration records of each file, as their text dump or as one JSON
// object per line.
int printDeclarations(const IndexRequest &request, bool json)
{
    int status = 0;
    for (const QString &path : request.paths) {
        const std::optional<QString> text = readSource(path);
        if (!text) {
            status = 1;
            continue;
        }
        const unsigned type = fileTypeFor(path, request.form);
        if (json)
            out() << declarationJsonText(path, *text, type) << "\n";
        else
            out() << declarationDumpText(path, *text, type) << "\n";
        out().flush();
    }
    return status;
}

int printDump(const IndexRequest &request)
{
    return printDeclarations(request, false);
}

int printJson(const IndexRequest &request)
{
    return printDeclarations(request, true);
}

using IndexMode = int (*)(const IndexRequest &);

const struct {
    const char *flag;
    IndexMode run;
} kModes[] = {
    {"--statements", printStatements},
    {"--dump", printDump},
    {"--json", printJson},
};

int runIndex(const QStringList &args)
{
    if (namesProjectFile(args))
        return indexProjectCommand(args);
    IndexRequest request;
    IndexMode mode = nullptr;
    bool formGiven = false;
    bool onlyPaths = false;
    for (const QString &arg : args) {
        if (onlyPaths || !arg.startsWith(u'-') || arg == u"-") {
            request.paths << arg;
            continue;
        }
        if (arg == u"--") {
            onlyPaths = true;
            continue;
        }
        if (arg == u"--fixed" || arg == u"--free") {
            const SourceForm form = arg == u"--fixed" ? SourceForm::Fixed : SourceForm::Free;
            if (formGiven && form != request.form) {
                err() << "corvane index: --fixed and --free exclude each other\n";
                return 2;
            }
            request.form = form;
            formGiven = true;
            continue;
        }
        IndexMode chosen = nullptr;
        for (const auto &m : kModes)
            if (arg == QLatin1String(m.flag))
                chosen = m.run;
        if (!chosen) {
            err() << "corvane index: unknown option '" << arg << "'\n";
            return 2;
        }
        if (mode && mode != chosen) {
            err() << "corvane index: choose one of the output modes\n";
            return 2;
        }
        mode = chosen;
    }
    if (!mode || request.paths.isEmpty()) {
        err() << "usage: corvane index FILE... --statements|--dump|--json [--fixed|--free]\n";
        return 2;
    }
    return mode(request);
}

} // namespace

CORVANE_COMMAND("index", "index FILE... --statements|--dump|--json [--fixed|--free]", runIndex);

} // namespace corvane::app
