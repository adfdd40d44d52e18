// corvane find PROJECT TEXT [--case] [--word] [--regex] [--json]: searches the project's files on
// disk in project order and prints one "path:line:col: text" line per matching line (col from 1),
// or with --json one object per line with the column as the 0-based offset the outline keeps.
// corvane find PROJECT --file PART [--case]: the project files whose name contains PART.
#include "analysis/declarationjson.h"
#include "build/projectfind.h"
#include "commands.h"
#include "progress.h"
#include "project/mydocument.h"

namespace corvane::app
{

namespace
{

constexpr CommandOption kOptions[] = {
    {"--case", nullptr, "letter case must match"},
    {"--word", nullptr, "only whole words"},
    {"--regex", nullptr, "TEXT is a regular expression"},
    {"--json", nullptr,
     "one JSON object per line; its column is the 0-based offset (plain lines count from 1)"},
    {"--file", "PART", "list the project files whose name contains PART instead"},
    kQuietOption,
};

int printFilesNamed(const MyDocument &document, const QString &part, bool caseSensitive)
{
    const QStringList found = filesWithNameContaining(
        document.fileNames(), part, caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive);
    for (const QString &path : found)
        out() << path << "\n";
    out().flush();
    if (!found.isEmpty())
        return 0;
    err() << "corvane find: no project file name contains \"" << part << "\"\n";
    return 1;
}

int findCommand(const QStringList &args)
{
    QStringList positional;
    QString filePart;
    bool byName = false, json = false, optionsEnded = false;
    FindOptions options;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (optionsEnded || !arg.startsWith(u'-') || arg == u"-") {
            positional << arg;
        } else if (arg == u"--") {
            optionsEnded = true;
        } else if (arg == u"--case") {
            options.caseSensitive = true;
        } else if (arg == u"--word") {
            options.wholeWord = true;
        } else if (arg == u"--regex") {
            options.regularExpression = true;
        } else if (arg == u"--json") {
            json = true;
        } else if (arg == u"--quiet") {
            Progress::setQuiet(true);
        } else if (arg == u"--file" && i + 1 < args.size()) {
            byName = true;
            filePart = args[++i];
        } else {
            err() << "corvane find: unexpected argument \"" << arg << "\"\n" << usageText("find");
            return 2;
        }
    }
    if (positional.size() != (byName ? 1 : 2)) {
        err() << usageText("find");
        return 2;
    }
    auto document = openProjectForCommand(positional[0], "find");
    if (!document)
        return 1;
    if (byName)
        return printFilesNamed(*document, filePart, options.caseSensitive);

    const QString text = positional[1];
    const QList<FindSource> sources = findSources(*document);
    if (sources.isEmpty()) {
        err() << FindText::kNoFiles;
        return 1;
    }
    Progress progress;
    const ProjectFindResults results =
        findStringInProject(sources, text, options, [&progress](qsizetype done, qsizetype total) {
            progress.show(QStringLiteral("searched %1 of %2 files")
                              .arg(Progress::count(done), Progress::count(total)));
        });
    progress.clear();
    if (!results.patternError.isEmpty()) {
        err() << "corvane find: " << results.patternError << "\n";
        return 2;
    }
    for (const FoundFile &file : results.files) {
        if (!file.error.isEmpty())
            err() << "corvane find: " << file.error << "\n";
        for (const FindResult &row : file.matches) {
            if (json)
                out() << "{\"file\": " << jsonQuoted(row.filePath) << ", \"line\": "
                      << row.lineNumber << ", \"column\": " << row.columnNumber
                      << ", \"text\": " << jsonQuoted(row.lineText) << "}\n";
            else
                out() << row.filePath << ":" << row.lineNumber << ":" << row.columnNumber + 1
                      << ": " << row.lineText << "\n";
        }
    }
    out().flush();
    err().flush();
    if (results.matchCount() > 0)
        return 0;
    err() << QString::fromLatin1(FindText::kNotFound).arg(text) << "\n";
    return 1;
}

} // namespace

CORVANE_COMMAND({.name = "find",
                 .purpose = "search the project's files for a text",
                 .usage = "find PROJECT TEXT [--case] [--word] [--regex] [--json] [--quiet]\n"
                          "find PROJECT --file PART [--case]",
                 .options = kOptions,
                 .run = findCommand});

} // namespace corvane::app
