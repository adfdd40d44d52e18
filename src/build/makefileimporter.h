// MakefileImporter: fills a project from an existing Makefile. It does not parse the Makefile; it
// asks make for a dry run of the default target and takes every word that looks like a Fortran
// file name.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace corvane
{

class Prompts;

class MakefileImporter
{
public:
    explicit MakefileImporter(QString fileName) : importFileName(std::move(fileName)) {}

    // The file names of the dry run, absolute, in output order (repeats kept); nullopt after
    // telling the user that make could not read the Makefile (or could not be started).
    std::optional<QStringList> files(Prompts &prompts) const;

    // The words of a dry run's output that contain ".f" in any letter case. Relative names are
    // made absolute against directory, where make ran; options ("-…") stay as printed.
    static QStringList fileNamesFromDryRun(const QString &output, const QString &directory);

    QString importFileName;
};

} // namespace corvane
