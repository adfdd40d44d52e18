// corvane show PROJECT [--json]: the project's settings, both configurations and its files with
// their states. --json gives the same as one JSON object for tools.
#include "commands.h"
#include "project/mydocument.h"
#include "project/prompts.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace corvane::app
{

namespace
{

QString stateName(qint64 state)
{
    switch (state) {
    case FortranFile::Saved:
        return "saved";
    case FortranFile::Modified:
        return "modified";
    case FortranFile::Lost:
        return "lost";
    default:
        return QString::number(state);
    }
}

QString modelName(qint64 compiler)
{
    return compiler == 1 ? "MPI or coarray" : compiler == 2 ? "OpenMP" : "serial";
}

// null strings become JSON null: absent is not empty.
QJsonValue text(const QString &s)
{
    return s.isNull() ? QJsonValue() : QJsonValue(s);
}

QJsonObject toJson(MyDocument &d)
{
    QJsonObject o;
    o["project"] = d.fileName();
    o["compilerPath"] = text(d.projectCompilerPath());
    o["compiler"] = d.compiler();
    o["compilerNumber"] = d.compilerNumber();
    o["isDebugBuild"] = d.isDebugBuild();
    o["debug"] = QJsonObject{{"name", "Testing"},
                             {"compilerFlags", text(d.debugCompilerFlags())},
                             {"linkerFlags", text(d.debugLinkerFlags())}};
    o["release"] = QJsonObject{{"name", "Running"},
                               {"compilerFlags", text(d.releaseCompilerFlags())},
                               {"linkerFlags", text(d.releaseLinkerFlags())}};
    o["includeFlags"] = text(d.includeFlags());
    o["buildDirectory"] = d.buildDirectoryPath();
    o["executableName"] = d.executableName();
    o["libraryName"] = d.libraryName();
    o["compileForLibrary"] =
        d.compileForLibrary() ? QJsonValue(*d.compileForLibrary()) : QJsonValue();
    o["numberOfProcessors"] = d.numberOfProcessors();
    o["commandLineArguments"] = text(d.commandLineArguments());
    o["inputOption"] = d.inputOption();
    o["inputFileName"] = text(d.inputFileName());
    o["notes"] = int(d.notes().size());
    QJsonArray files;
    for (const auto &f : d.projectFiles())
        files.append(QJsonObject{{"path", f->filePath()},
                                 {"state", stateName(f->fileState())},
                                 {"freeForm", f->isF90File()}});
    o["files"] = files;
    return o;
}

void printPlain(MyDocument &d)
{
    auto shown = [](const QString &s) { return s.isNull() ? QString("(none)") : '"' + s + '"'; };
    out() << "Project:        " << d.fileName() << "\n";
    out() << "Compiler:       "
          << (d.projectCompilerPath().isEmpty() ? "(none)" : d.projectCompilerPath()) << " ("
          << modelName(d.compiler()) << ")\n";
    out() << "Configuration:  " << (d.isDebugBuild() ? "Testing (debug)" : "Running (release)")
          << "\n";
    out() << "  Testing:      compiler flags " << shown(d.debugCompilerFlags()) << ", linker flags "
          << shown(d.debugLinkerFlags()) << "\n";
    out() << "  Running:      compiler flags " << shown(d.releaseCompilerFlags())
          << ", linker flags " << shown(d.releaseLinkerFlags()) << "\n";
    out() << "Include flags:  " << shown(d.includeFlags()) << "\n";
    out() << "Build folder:   " << d.buildDirectoryPath() << "\n";
    out() << "Product:        "
          << (d.compileForLibrary().value_or(false) ? d.libraryName() : d.executableName()) << "\n";
    out() << "Processors:     " << d.numberOfProcessors() << "\n";
    out() << "Arguments:      " << shown(d.commandLineArguments()) << "\n";
    const QString input = d.inputFileName();
    out() << "Input:          option " << d.inputOption() << ", file "
          << (input.isEmpty() ? QString("(none)") : input) << "\n";
    out() << "Notes:          " << d.notes().size() << "\n";
    out() << "Files (" << d.projectFiles().size() << "):\n";
    for (const auto &f : d.projectFiles())
        out() << "  " << stateName(f->fileState()).leftJustified(9) << " "
              << (f->isF90File() ? "free " : "fixed") << "  " << f->filePath() << "\n";
}

int showCommand(const QStringList &args)
{
    QString project;
    bool json = false;
    for (const QString &a : args) {
        if (a == "--json") {
            json = true;
        } else if (a.startsWith('-') || !project.isEmpty()) {
            err() << "corvane show: unexpected argument \"" << a << "\"\n" << usageText("show");
            return 2;
        } else {
            project = a;
        }
    }
    if (project.isEmpty()) {
        err() << usageText("show");
        return 2;
    }
    auto opened = openProjectForCommand(project, "show");
    if (!opened)
        return 1;
    if (json)
        out() << QJsonDocument(toJson(*opened)).toJson(QJsonDocument::Indented);
    else
        printPlain(*opened);
    // What was shown lacks the files of the damaged list (told on stderr when it was read).
    return opened->fileListDamaged() ? 1 : 0;
}

} // namespace

constexpr CommandOption kOptions[] = {{"--json", nullptr, "print one JSON object for tools"}};

CORVANE_COMMAND({.name = "show",
                 .purpose = "print a project's settings, configurations and files",
                 .usage = "show PROJECT [--json]",
                 .options = kOptions,
                 .run = showCommand});

} // namespace corvane::app
