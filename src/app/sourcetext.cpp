#include "sourcetext.h"

#include "commands.h"
#include "project/sourcetext.h"

#include <QFile>
#include <QFileInfo>

namespace corvane::app
{

std::optional<QString> readSourceText(const QString &path, const char *command)
{
    if (QFileInfo(path).isDir()) {
        err() << "corvane " << command << ": cannot read " << path << ": it is a folder\n";
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        err() << "corvane " << command << ": cannot read " << path << ": " << file.errorString()
              << "\n";
        return std::nullopt;
    }
    std::optional<QString> text = readDecodedSource(file);
    if (!text)
        err() << "corvane " << command << ": cannot read " << path << ": " << file.errorString()
              << "\n";
    return text;
}

} // namespace corvane::app
