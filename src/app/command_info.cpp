// corvane info PROJECT FILE LINE COL [--select N]: indexes the project and prints what Show
// declaration information shows for the word at LINE:COL (or the N characters selected there)
// of FILE as it is on disk: the declaration's text, or "intrinsic: NAME" and the intrinsic's
// page. Nothing and status 1 where the editor beeps.
#include "commands.h"
#include "cursorrequest.h"
#include "editor/definitionlookup.h"
#include "project/fortranfile.h"
#include "project/mydocument.h"
#include "project/projectindexer.h"
#include "project/prompts.h"
#include "settings/intrinsicpages.h"
#include "settings/vocabulary.h"

namespace corvane::app
{

namespace
{

constexpr CommandOption kOptions[] = {kSelectOption};

int infoCommand(const QStringList &args)
{
    int status = 0;
    std::optional<CursorRequest> request = openCursorRequest(args, "info", status);
    if (!request)
        return status;
    const std::optional<TextRange> range = lookupRange(request->text, request->selection);
    if (!range)
        return 1;
    RecordingPrompts prompts;
    ProjectIndexer indexer(*request->document, prompts);
    indexer.indexNow();
    const auto index = request->document->projectIndex();
    if (!index)
        return 1;
    const QString path = request->file->filePath();
    const LookupScope scope =
        lookupScopeFor(scopeForRange(request->text, *range, request->fixedForm));
    const auto declarations = index->declarationsForFile(path);
    const LookupResult r = lookupDeclarationInfo(*index, declarations.get(), path, scope,
                                                 Vocabulary::instance().fortranIntrinsics());
    if (r.kind == LookupResult::Info) {
        out() << r.text << "\n";
        return 0;
    }
    if (r.kind == LookupResult::Intrinsic) {
        if (const IntrinsicPage *page = IntrinsicPages::instance().page(r.text)) {
            out() << "intrinsic: " << r.text << "\n" << page->plainText();
            return 0;
        }
    }
    return 1;
}

} // namespace

CORVANE_COMMAND({.name = "info",
                 .purpose = "print the declaration information shown for the name at LINE:COL",
                 .usage = "info PROJECT FILE LINE COL [--select N]",
                 .options = kOptions,
                 .run = infoCommand});

} // namespace corvane::app
