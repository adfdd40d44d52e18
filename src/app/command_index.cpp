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

// text as a JSON string literal, written in pieces: a statement of 50 MB never becomes one
// quoted copy, nor one encoded buffer in the stream.
void writeJsonQuoted(QTextStream &o, QStringView text, QString &piece)
{
    constexpr qsizetype kPiece = 1 << 16;
    o << '"';
    for (qsizetype at = 0; at < text.size();) {
        qsizetype length = qMin(kPiece, text.size() - at);
        if (at + length < text.size() && text[at + length - 1].isHighSurrogate())
            --length; // a surrogate pair stays in one piece
        piece.clear();
        appendJsonEscaped(piece, text.sliced(at, length));
        o << piece;
        at += length;
    }
    o << '"';
}

// --statements: every logical statement as one JSON object per line (keys in the order a JSON
// object of Qt writes them). The line is written piece by piece, the statement is a view of the
// source when it stands in one piece there, and the tokens are handed over one by one: a
// statement of 50 MB becomes no copy, no JSON tree and no list of tokens.
int printStatements(const IndexRequest &request)
{
    int status = 0;
    FStatementReader reader;
    QString buffer, piece;
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
            const std::optional<QStringView> statement = reader.nextStatementView(buffer);
            if (!statement)
                continue;
            o << "{\"class\":"
              << jsonQuoted(statementClassName(reader.classifyStatement(*statement)))
              << ",\"file\":" << quotedPath << ",\"text\":";
            writeJsonQuoted(o, *statement, piece);
            o << ",\"tokens\":[";
            bool first = true;
            FTTokenizer::forEachToken(*statement, [&](QStringView token) {
                if (!first)
                    o << ',';
                first = false;
                writeJsonQuoted(o, token, piece);
            });
            o << "]}\n";
        }
        buffer = QString(); // gives the memory back
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
