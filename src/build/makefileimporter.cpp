#include "makefileimporter.h"

#include "project/prompts.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace corvane
{

namespace
{
constexpr char kCannotRead[] = "The makefile: %1 cannot be read by make";
constexpr int kDryRunTimeoutMs = 60000;
} // namespace

QStringList MakefileImporter::fileNamesFromDryRun(const QString &output, const QString &directory)
{
    const QDir dir(directory);
    QStringList names;
    for (const QString &line : output.split('\n')) {
        if (line.size() < 2)
            continue;
        for (const QString &piece : line.split(' ')) {
            if (!piece.toLower().contains(".f"))
                continue;
            if (piece.startsWith('-') || QFileInfo(piece).isAbsolute())
                names << piece;
            else
                names << QDir::cleanPath(dir.absoluteFilePath(piece));
        }
    }
    return names;
}

std::optional<QStringList> MakefileImporter::files(Prompts &prompts) const
{
    const QFileInfo info(importFileName);
    const QString name = info.fileName();
    const QString make = QStandardPaths::findExecutable("make");
    auto refuse = [&](const QString &why) -> std::optional<QStringList> {
        prompts.alert(QString::fromLatin1(kCannotRead).arg(name), why);
        return std::nullopt;
    };
    if (make.isEmpty())
        return refuse(QStringLiteral("make was not found on the search path."));

    // make runs in the Makefile's own folder, so relative names in it mean what they say.
    QProcess process;
    process.setWorkingDirectory(info.absolutePath());
    process.start(make, {"-n", "-f", info.absoluteFilePath()});
    if (!process.waitForStarted())
        return refuse(process.errorString());
    process.closeWriteChannel();
    if (!process.waitForFinished(kDryRunTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        return refuse(QStringLiteral("make did not finish its dry run within a minute."));
    }
    const QString errors = QString::fromUtf8(process.readAllStandardError());
    if (!errors.isEmpty())
        return refuse(errors);
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return refuse(QStringLiteral("make ended with status %1.").arg(process.exitCode()));
    const QByteArray output = process.readAllStandardOutput();
    const QString text = QString::fromUtf8(output);
    if (text.contains(QChar::ReplacementCharacter))
        return std::nullopt; // undecodable output
    return fileNamesFromDryRun(text, info.absolutePath());
}

} // namespace corvane
