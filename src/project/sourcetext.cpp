#include "project/sourcetext.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <cstring>

namespace corvane
{

namespace
{

constexpr qint64 kReadPiece = qint64(1) << 20;

// How many bytes at the end of piece start a UTF-8 sequence that the piece does not finish;
// they are decoded with the next piece.
qsizetype unfinishedSequence(QByteArrayView piece)
{
    const qsizetype n = piece.size();
    for (qsizetype back = 1; back <= 3 && back <= n; ++back) {
        const auto byte = static_cast<unsigned char>(piece[n - back]);
        if ((byte & 0xC0) == 0x80)
            continue; // a continuation byte: look further back for its lead
        const qsizetype length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? back : 0;
    }
    return 0;
}

} // namespace

QString decodeSource(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes);
}

std::optional<QString> readDecodedSource(QFile &file)
{
    // UTF-8 never gives more UTF-16 code units than bytes, nor does Latin-1: the text grows in
    // one buffer of the file's size while the bytes pass through a small piece buffer.
    const qint64 start = file.pos();
    QByteArray piece(kReadPiece + 3, Qt::Uninitialized);
    QString text;
    text.reserve(qMax<qint64>(0, file.size() - start));
    // A byte order mark is dropped at the start of the file only.
    QStringDecoder first(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QStringDecoder later(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                   QStringDecoder::Flag::ConvertInitialBom);
    qsizetype carried = 0; // bytes of an unfinished sequence moved to the piece's front
    bool atStart = true;
    bool utf8 = true;
    while (true) {
        const qint64 n = file.read(piece.data() + carried, kReadPiece);
        if (n < 0)
            return std::nullopt;
        const QByteArrayView bytes(piece.constData(), carried + n);
        if (bytes.isEmpty())
            break;
        // At the end of the file an unfinished sequence is decoded as it is: an error.
        const qsizetype held = n == 0 ? 0 : unfinishedSequence(bytes);
        QStringDecoder &decoder = atStart ? first : later;
        text.append(decoder.decode(bytes.first(bytes.size() - held)));
        if (decoder.hasError()) {
            utf8 = false;
            break;
        }
        std::memmove(piece.data(), bytes.data() + bytes.size() - held, size_t(held));
        carried = held;
        atStart = false;
        if (n == 0)
            break;
    }
    if (utf8)
        return text;
    // Not UTF-8: every byte is one Latin-1 character, read again from the start.
    text.clear();
    text.reserve(qMax<qint64>(0, file.size() - start));
    if (!file.seek(start))
        return std::nullopt;
    while (true) {
        const qint64 n = file.read(piece.data(), kReadPiece);
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            return text;
        text.append(QLatin1StringView(piece.constData(), n));
    }
}

QString normaliseLineEndings(QString text)
{
    if (text.contains(QLatin1Char('\r'))) {
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    }
    return text;
}

bool openSource(QFile &file, const QString &path, QString *error)
{
    const QFileInfo info(path);
    file.setFileName(path);
    if (info.isFile() && file.open(QIODevice::ReadOnly))
        return true;
    if (error)
        *error = QString("The file \"%1\" couldn't be opened: %2")
                     .arg(info.fileName(), !info.exists()  ? "No such file or directory"
                                           : info.isFile() ? file.errorString()
                                           : info.isDir()  ? "Is a directory"
                                                           : "Not a regular file");
    return false;
}

QString sourceReadError(const QFile &file)
{
    return QString("The file \"%1\" couldn't be read: %2")
        .arg(QFileInfo(file.fileName()).fileName(), file.errorString());
}

std::optional<QString> readSource(const QString &path, QString *error)
{
    QFile file;
    if (!openSource(file, path, error))
        return std::nullopt;
    std::optional<QString> text = readDecodedSource(file);
    if (!text && error)
        *error = sourceReadError(file);
    return text;
}

} // namespace corvane
