// corvane definition PROJECT FILE LINE COL [--select N]: the line jump to definition selects for
// the word at LINE:COL (or the N characters selected there) of FILE as it is on disk, printed as
// {"file": path, "line": n}; "null" with status 1 where the editor beeps or tells that no
// program unit was found (that message goes to stderr).
#include "commands.h"
#include "cursorrequest.h"
#include "build/projectfind.h"
#include "editor/definitionlookup.h"
#include "project/mydocument.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace corvane::app
{

namespace
{

constexpr CommandOption kOptions[] = {kSelectOption};

QString jsonString(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

int definitionCommand(const QStringList &args)
{
    int status = 0;
    std::optional<CursorRequest> request = openCursorRequest(args, "definition", status);
    if (!request)
        return status;
    const QList<FindSource> sources = findSources(*request->document);
    QStringList errors;
    const DefinitionJump jump =
        jumpToDefinition(request->text, request->selection, [&](const QString &text) {
            return findLocationInProjectOfString(sources, text, &errors);
        });
    for (const QString &e : errors)
        err() << "corvane definition: " << e << "\n";
    if (jump.kind == DefinitionJump::Found) {
        out() << "{\"file\": " << jsonString(jump.location.filePath)
              << ", \"line\": " << jump.location.lineNumber << "}\n";
        return 0;
    }
    if (jump.kind == DefinitionJump::NotFound)
        err() << QString::fromLatin1(DefinitionText::kNotFound).arg(jump.word) << "\n"
              << DefinitionText::kSeeFindPanel << "\n";
    out() << "null\n";
    return 1;
}

} // namespace

CORVANE_COMMAND({.name = "definition",
                 .purpose = "print where the name at LINE:COL is defined, as JSON",
                 .usage = "definition PROJECT FILE LINE COL [--select N]",
                 .options = kOptions,
                 .run = definitionCommand});

} // namespace corvane::app
