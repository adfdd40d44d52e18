#include "project/sourcetext.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace corvane
{

QString decodeSource(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes);
}

std::optional<QString> readSource(const QString &path, QString *error)
{
    const QFileInfo info(path);
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QString("The file \"%1\" couldn't be opened: %2")
                         .arg(info.fileName(), !info.exists() ? "No such file or directory"
                                               : info.isFile() ? file.errorString()
                                                               : "Is a directory");
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = QString("The file \"%1\" couldn't be read: %2")
                         .arg(info.fileName(), file.errorString());
        return std::nullopt;
    }
    return decodeSource(bytes);
}

} // namespace corvane
