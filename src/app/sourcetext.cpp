#include "sourcetext.h"

#include "commands.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

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
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        err() << "corvane " << command << ": cannot read " << path << ": " << file.errorString()
              << "\n";
        return std::nullopt;
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        text = QString::fromLatin1(bytes);
    return text;
}

} // namespace corvane::app
