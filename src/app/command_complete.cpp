// corvane complete PROJECT FILE LINE COL [--explicit]: indexes the project and prints the
// candidates the editor's completion list would show for a caret at LINE:COL (1-based, columns
// in characters) of FILE's text as it is on disk, one per line in the list's order; nothing when
// no list would open. --explicit gives the template names of explicit completion (Ctrl+Space).
// The completion settings are the user's.
#include "commands.h"
#include "cursorrequest.h"
#include "editor/autocompletemanager.h"
#include "editor/completionoffer.h"
#include "editor/textposition.h"
#include "project/fortranfile.h"
#include "project/lineconversions.h"
#include "project/mydocument.h"
#include "project/projectindexer.h"
#include "project/prompts.h"
#include "settings/defaults.h"
#include "settings/settingskeys.h"
#include "settings/vocabulary.h"
#include "sourcetext.h"

#include <QFileInfo>

namespace corvane::app
{

namespace
{

constexpr CommandOption kOptions[] = {
    {"--explicit", nullptr, "the candidates of explicit completion (Ctrl+Space), templates too"}};

int usageError(const QString &message)
{
    if (!message.isEmpty())
        err() << "corvane complete: " << message << "\n";
    err() << usageText("complete");
    err().flush();
    return 2;
}

int completeCommand(const QStringList &args)
{
    QStringList positional;
    bool isExplicit = false;
    for (const QString &arg : args) {
        if (arg == u"--explicit")
            isExplicit = true;
        else if (arg.startsWith(u"--"))
            return usageError("unknown option '" + arg + "'");
        else
            positional << arg;
    }
    if (positional.size() != 4)
        return usageError(QString());
    TextPosition position;
    for (int i = 0; i < 2; ++i) {
        bool ok = false;
        const qsizetype n = positional[2 + i].toLongLong(&ok);
        if (!ok || n < 1)
            return usageError("'" + positional[2 + i] + "' is no line or column (they count from 1)");
        (i == 0 ? position.line : position.column) = n;
    }
    auto opened = openProjectForCommand(positional[0], "complete");
    if (!opened)
        return 1;
    MyDocument &document = *opened;
    const QString path = positional[1];
    const auto file = projectFileFor(document, path);
    if (!file) {
        err() << "corvane complete: " << path << " is not a file of the project\n";
        return 1;
    }
    std::optional<QString> text = readSourceText(file->filePath(), "complete");
    if (!text)
        return 1;
    LineConversions::convertLineEndingsIn(*text, 2);
    LineConversions::convertLineEndingsIn(*text, 1);
    const std::optional<qsizetype> caret = offsetForPosition(*text, position);
    if (!caret) {
        err() << "corvane complete: " << path << " has no line " << position.line << " column "
              << position.column << "\n";
        return 1;
    }

    RecordingPrompts prompts;
    ProjectIndexer indexer(document, prompts);
    indexer.indexNow();
    const Defaults &defaults = Defaults::instance();
    AutocompleteManager engine(
        Vocabulary::instance(),
        defaults.boolValue(QLatin1String(keys::showArgumentListsDuringAutocomplete)));
    const auto index = document.projectIndex();
    engine.setProjectIndex(index);
    engine.setDeclarationsForDisplayedText(index ? index->declarationsForFile(file->filePath())
                                                 : nullptr);
    const bool fixedForm = !file->isF90File() && !document.colorAsF90();
    const ScopeRecord scope = scopeAtCaret(*text, *caret, fixedForm);
    const auto offer = completionOffer(
        *text, *caret, isExplicit, engine, scope, CompletionSettings::fromDefaults(defaults),
        defaults.value(QLatin1String(keys::TemplateStrings)).toMap());
    if (offer)
        for (const QString &candidate : offer->candidates)
            out() << candidate << "\n";
    out().flush();
    return 0;
}

} // namespace

CORVANE_COMMAND({.name = "complete",
                 .purpose = "print the completion candidates for a caret at LINE:COL",
                 .usage = "complete PROJECT FILE LINE COL [--explicit]",
                 .options = kOptions,
                 .run = completeCommand});

} // namespace corvane::app
