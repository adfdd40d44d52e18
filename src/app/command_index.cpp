// corvane index FILES... --statements|--dump|--json [--fixed|--free] [-DNAME[=VALUE]] [-UNAME]
// [-IDIR] [--as-written]: reads Fortran sources without a project and prints what the
// code-understanding engine sees in them: a file with preprocessor directives preprocessed as
// gfortran -cpp does (with its predefined macros and the -D, -U and -I given), INCLUDE files
// spliced in, unless --as-written. Each mode is one function in kModes, chosen by its flag; the
// file list, the source form and the reading of files are shared.
#include "analysis/declarationjson.h"
#include "analysis/fstatementreader.h"
#include "analysis/fttokenizer.h"
#include "command_index_project.h"
#include "commands.h"
#include "indexdeclarations.h"
#include "project/fortranfile.h"
#include "project/indexpreprocessing.h"
#include "sourcetext.h"

#include <QDir>
#include <QFile>

#include <optional>

namespace corvane::app
{

namespace
{

enum class SourceForm { ByExtension, Fixed, Free };

struct IndexRequest {
    QStringList paths;
    SourceForm form = SourceForm::ByExtension;
    bool asWritten = false;
    FPreprocessor::Options preprocessor;
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

// The source of path as the index reads it; what splicing INCLUDE files had to say goes to
// stderr.
std::optional<SourceForIndexing> readIndexSource(const QString &path, const IndexRequest &request)
{
    if (request.asWritten) {
        std::optional<QString> text = readSourceText(path, "index");
        if (!text)
            return std::nullopt;
        return SourceForIndexing{std::move(*text), std::nullopt, {}};
    }
    QFile file;
    if (!openSourceFile(file, path, "index"))
        return std::nullopt;
    std::optional<SourceForIndexing> source = loadSourceForIndexing(file, request.preprocessor);
    if (!source) {
        reportUnreadable(file, "index");
        return std::nullopt;
    }
    for (const QString &message : source->messages)
        err() << "corvane index: " << message << "\n";
    return source;
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
        std::optional<SourceForIndexing> source = readIndexSource(path, request);
        if (!source) {
            status = 1;
            continue;
        }
        const QString quotedPath = jsonQuoted(path);
        reader.filePath = path;
        reader.startReading(std::move(source->text), fileTypeFor(path, request.form));
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
        std::optional<SourceForIndexing> source = readIndexSource(path, request);
        if (!source) {
            status = 1;
            continue;
        }
        const unsigned type = fileTypeFor(path, request.form);
        if (json)
            out() << declarationJsonText(path, std::move(*source), type) << "\n";
        else
            out() << declarationDumpText(path, std::move(*source), type) << "\n";
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
    request.preprocessor.defines = predefinedMacros(QStringLiteral("gfortran"));
    IndexMode mode = nullptr;
    bool formGiven = false;
    bool onlyPaths = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (onlyPaths || !arg.startsWith(u'-') || arg == u"-") {
            request.paths << arg;
            continue;
        }
        if (arg == u"--") {
            onlyPaths = true;
            continue;
        }
        if (arg == u"--as-written") {
            request.asWritten = true;
            continue;
        }
        if (arg.size() >= 2 && (arg[1] == u'D' || arg[1] == u'U' || arg[1] == u'I')) {
            // "-DNAME=1" or "-D NAME=1", as on the compiler's command line.
            QString value = arg.mid(2);
            if (value.isEmpty() && i + 1 < args.size())
                value = args[++i];
            if (value.isEmpty()) {
                err() << "corvane index: " << arg << " needs a value\n";
                return 2;
            }
            FPreprocessor::Options &o = request.preprocessor;
            if (arg[1] == u'D')
                o.defines.append(FPreprocessor::defineFromFlag(value));
            else if (arg[1] == u'U')
                o.defines.removeIf([&](const FMacroDefinition &d) { return d.name == value; });
            else
                o.includeFolders.append(QDir::cleanPath(QDir::current().absoluteFilePath(value)));
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
            err() << "corvane index: unknown option '" << arg << "'\n" << usageText("index");
            return 2;
        }
        if (mode && mode != chosen) {
            err() << "corvane index: choose one of the output modes\n";
            return 2;
        }
        mode = chosen;
    }
    if (!mode || request.paths.isEmpty()) {
        err() << usageText("index");
        return 2;
    }
    return mode(request);
}

} // namespace

constexpr CommandOption kOptions[] = {
    {"--statements", nullptr, "FILEs: every logical statement with its class and tokens, as JSON"},
    {"--dump", nullptr, "FILEs: the declaration records as text"},
    {"--json", nullptr, "FILEs: the declaration records as JSON; PROJECT: the counts as JSON"},
    kFixedOption,
    kFreeOption,
    {"-D", "NAME[=VALUE]", "FILEs: define a preprocessor macro, as for gfortran -cpp"},
    {"-U", "NAME", "FILEs: undefine a predefined macro"},
    {"-I", "DIR", "FILEs: look for #include and INCLUDE files in this folder too"},
    {"--as-written", nullptr, "FILEs: the text as it stands: no preprocessing, no INCLUDE splicing"},
    {"--time", nullptr, "PROJECT: also the time taken and the peak memory"},
    {"--symbols", nullptr, "PROJECT: the names each scope declares, as JSON"},
    kQuietOption,
};

CORVANE_COMMAND({.name = "index",
                 .purpose = "show what the code-understanding engine reads in sources or a project",
                 .usage = "index FILE... --statements|--dump|--json [--fixed|--free] "
                          "[-DNAME[=VALUE]] [-UNAME] [-IDIR] [--as-written]\n"
                          "index PROJECT [--time] [--json] [--symbols] [--quiet]",
                 .options = kOptions,
                 .run = runIndex});

} // namespace corvane::app
