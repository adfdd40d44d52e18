#include "cursorrequest.h"

#include "commands.h"
#include "editor/textposition.h"
#include "project/fortranfile.h"
#include "project/lineconversions.h"
#include "project/mydocument.h"
#include "sourcetext.h"

#include <QFileInfo>

namespace corvane::app
{

std::shared_ptr<FortranFile> projectFileFor(const MyDocument &document, const QString &path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    std::shared_ptr<FortranFile> byName;
    int sameName = 0;
    for (const auto &file : document.projectFiles()) {
        if (file->filePath() == absolute || file->filePath() == path)
            return file;
        if (QFileInfo(file->filePath()).fileName() == QFileInfo(path).fileName()) {
            byName = file;
            ++sameName;
        }
    }
    return sameName == 1 ? byName : nullptr;
}

std::optional<CursorRequest> openCursorRequest(const QStringList &args, const char *command,
                                               int &status)
{
    auto usageError = [&](const QString &message) {
        if (!message.isEmpty())
            err() << "corvane " << command << ": " << message << "\n";
        err() << usageText(command);
        err().flush();
        status = 2;
        return std::nullopt;
    };
    QStringList positional;
    qsizetype selectLength = 0;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == u"--select") {
            bool ok = false;
            selectLength = i + 1 < args.size() ? args[i + 1].toLongLong(&ok) : -1;
            if (!ok || selectLength < 0)
                return usageError("--select needs a length of 0 or more");
            ++i;
        } else if (arg.startsWith(u"--")) {
            return usageError("unknown option '" + arg + "'");
        } else {
            positional << arg;
        }
    }
    if (positional.size() != 4)
        return usageError(QString());
    TextPosition position;
    for (int i = 0; i < 2; ++i) {
        bool ok = false;
        const qsizetype n = positional[2 + i].toLongLong(&ok);
        if (!ok || n < 1)
            return usageError("'" + positional[2 + i] +
                              "' is no line or column (they count from 1)");
        (i == 0 ? position.line : position.column) = n;
    }
    status = 1;
    CursorRequest request;
    request.document = openProjectForCommand(positional[0], command);
    if (!request.document)
        return std::nullopt;
    const QString path = positional[1];
    request.file = projectFileFor(*request.document, path);
    if (!request.file) {
        err() << "corvane " << command << ": " << path << " is not a file of the project\n";
        return std::nullopt;
    }
    std::optional<QString> text = readSourceText(request.file->filePath(), command);
    if (!text)
        return std::nullopt;
    LineConversions::convertLineEndingsIn(*text, 2);
    LineConversions::convertLineEndingsIn(*text, 1);
    const std::optional<qsizetype> start = offsetForPosition(*text, position);
    if (!start) {
        err() << "corvane " << command << ": " << path << " has no line " << position.line
              << " column " << position.column << "\n";
        return std::nullopt;
    }
    // The selection's length counts characters: a surrogate pair is one.
    qsizetype end = *start;
    for (qsizetype n = 0; n < selectLength && end < text->size(); ++n)
        end += (text->at(end).isHighSurrogate() && end + 1 < text->size()) ? 2 : 1;
    request.text = std::move(*text);
    request.selection = {quint64(*start), quint64(end - *start)};
    request.fixedForm = !request.file->isF90File() && !request.document->colorAsF90();
    status = 0;
    return request;
}

} // namespace corvane::app
