// corvane lookup PROJECT NAME --file FILE [--procedure P] [--module M] [--chain c%b%a]: indexes
// the project and prints the declaration information the editor would show for NAME in that
// scope; "intrinsic NAME" for an intrinsic; "not found" (status 1) where the editor beeps.
#include "commands.h"
#include "project/mydocument.h"
#include "project/projectindexer.h"
#include "project/projectlookup.h"
#include "project/prompts.h"
#include "settings/vocabulary.h"

#include <QFileInfo>

namespace corvane::app
{

namespace
{

constexpr CommandOption kOptions[] = {
    {"--file", "FILE", "the project file the name is used in"},
    {"--procedure", "P", "the procedure the name is used in"},
    {"--module", "M", "the module the name is used in"},
    {"--chain", "c%b%a", "the component reference read backwards from NAME (c%b%a for a%b%c)"},
};

// The project file named by path: the same absolute path, else the only one with that file name.
QString projectPathFor(const MyDocument &document, const QString &path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QString byName;
    int sameName = 0;
    for (const auto &file : document.projectFiles()) {
        if (file->filePath() == absolute || file->filePath() == path)
            return file->filePath();
        if (QFileInfo(file->filePath()).fileName() == QFileInfo(path).fileName()) {
            byName = file->filePath();
            ++sameName;
        }
    }
    return sameName == 1 ? byName : QString();
}

int lookupCommand(const QStringList &args)
{
    QStringList positional;
    QString file, chain;
    LookupScope scope;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        QString *target = arg == u"--file"        ? &file
                          : arg == u"--procedure" ? &scope.procedure
                          : arg == u"--module"    ? &scope.module
                          : arg == u"--chain"     ? &chain
                                                  : nullptr;
        if (target) {
            if (i + 1 >= args.size()) {
                err() << "corvane lookup: " << arg << " needs a value\n" << usageText("lookup");
                return 2;
            }
            *target = args[++i];
        } else if (arg.startsWith(u'-')) {
            err() << "corvane lookup: unknown option '" << arg << "'\n" << usageText("lookup");
            return 2;
        } else {
            positional << arg;
        }
    }
    if (positional.size() != 2 || file.isEmpty()) {
        err() << usageText("lookup");
        return 2;
    }
    const QString name = positional[1];
    scope.variableChain = chain.isEmpty() ? QStringList{name} : chain.split(u'%');
    if (scope.variableChain.first().compare(name, Qt::CaseInsensitive) != 0)
        scope.variableChain.prepend(name);

    RecordingPrompts prompts;
    auto opened = openProjectForCommand(positional[0], "lookup");
    if (!opened)
        return 1;
    MyDocument &document = *opened;
    const QString current = projectPathFor(document, file);
    if (current.isNull()) {
        err() << "corvane lookup: " << file << " is not a file of the project\n";
        return 1;
    }
    ProjectIndexer indexer(document, prompts);
    indexer.indexNow();
    const auto index = document.projectIndex();
    const auto declarations = index->declarationsForFile(current);
    const LookupResult r = lookupDeclarationInfo(*index, declarations.get(), current, scope,
                                                 Vocabulary::instance().fortranIntrinsics());
    switch (r.kind) {
    case LookupResult::Intrinsic:
        out() << "intrinsic " << name << "\n";
        return 0;
    case LookupResult::Info:
        out() << r.text << "\n";
        return 0;
    case LookupResult::NotFound:
        break;
    }
    err() << "not found\n";
    return 1;
}

} // namespace

CORVANE_COMMAND({.name = "lookup",
                 .purpose = "print the declaration information of NAME in a scope",
                 .usage = "lookup PROJECT NAME --file FILE [--procedure P] [--module M] "
                          "[--chain c%b%a]",
                 .options = kOptions,
                 .run = lookupCommand});

} // namespace corvane::app
