#include "sourcetext.h"

#include "commands.h"
#include "project/sourcetext.h"

#include <QFile>
#include <QFileInfo>

namespace corvane::app
{

bool openSourceFile(QFile &file, const QString &path, const char *command)
{
    if (QFileInfo(path).isDir()) {
        err() << "corvane " << command << ": cannot read " << path << ": it is a folder\n";
        return false;
    }
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reportUnreadable(file, command);
        return false;
    }
    return true;
}

void reportUnreadable(const QFile &file, const char *command)
{
    err() << "corvane " << command << ": cannot read " << file.fileName() << ": "
          << file.errorString() << "\n";
}

std::optional<QString> readSourceText(const QString &path, const char *command)
{
    QFile file;
    if (!openSourceFile(file, path, command))
        return std::nullopt;
    std::optional<QString> text = readDecodedSource(file);
    if (!text)
        reportUnreadable(file, command);
    return text;
}

} // namespace corvane::app
