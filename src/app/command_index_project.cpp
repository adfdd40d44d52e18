#include "command_index_project.h"

#include "commands.h"
#include "progress.h"
#include "project/mydocument.h"
#include "project/projectindexer.h"
#include "project/prompts.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <sys/resource.h>

#include <algorithm>

namespace corvane::app
{

namespace
{

double peakMemoryMB()
{
    struct rusage usage {
    };
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0; // ru_maxrss is in kilobytes on Linux
}

QJsonArray sortedArray(const FSymbols::NameSet &set)
{
    QStringList names = set ? QStringList(set->begin(), set->end()) : QStringList();
    names.sort();
    return QJsonArray::fromStringList(names);
}

QJsonObject symbolsJson(const ProjectIndex &index)
{
    QJsonObject all;
    if (!index.projectSymbolsIndex)
        return all;
    for (const QString &key : index.projectSymbolsIndex->keys()) {
        const auto symbols = index.projectSymbolsIndex->symbols(key);
        const FSymbols &s = *symbols;
        QJsonObject o;
        const std::pair<const char *, const FSymbols::NameSet *> sets[] = {
            {"variableNames", &s.variableNames},
            {"functionProcedureNames", &s.functionProcedureNames},
            {"subroutineProcedureNames", &s.subroutineProcedureNames},
            {"typeNames", &s.typeNames},
            {"variablesThatAreDerivedTypes", &s.variablesThatAreDerivedTypes},
        };
        for (const auto &[key, set] : sets)
            if (*set)
                o.insert(QLatin1String(key), sortedArray(*set));
        all.insert(key, o); // QJsonObject keeps its keys sorted
    }
    return all;
}

} // namespace

bool namesProjectFile(const QStringList &args)
{
    return std::any_of(args.begin(), args.end(), [](const QString &a) {
        return !a.startsWith(u'-') && a.endsWith(QLatin1String(".corvane"));
    });
}

int indexProjectCommand(const QStringList &args)
{
    QString projectPath;
    bool time = false, json = false, symbols = false;
    for (const QString &arg : args) {
        if (arg == u"--time")
            time = true;
        else if (arg == u"--json")
            json = true;
        else if (arg == u"--symbols")
            symbols = true;
        else if (arg == u"--quiet")
            Progress::setQuiet(true);
        else if (arg.startsWith(u'-') || !projectPath.isEmpty()) {
            err() << "corvane index: unexpected argument \"" << arg << "\"\n" << usageText("index");
            return 2;
        } else
            projectPath = arg;
    }
    if (projectPath.isEmpty()) {
        err() << usageText("index");
        return 2;
    }
    RecordingPrompts prompts;
    auto opened = openProjectForCommand(projectPath, "index");
    if (!opened)
        return 1;
    MyDocument &document = *opened;
    prompts.alerts.clear();
    ProjectIndexer indexer(document, prompts);
    QElapsedTimer timer;
    timer.start();
    Progress progress;
    indexer.indexNow([&progress](qsizetype done, qsizetype total) {
        progress.show(QStringLiteral("indexed %1 of %2 files")
                          .arg(Progress::count(done), Progress::count(total)));
    });
    progress.clear();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    for (const QString &said : prompts.alerts)
        err() << said << "\n";
    for (const QString &said : indexer.lastMessages())
        err() << "corvane index: " << said << "\n";
    const auto index = document.projectIndex();
    if (symbols) {
        out() << QJsonDocument(symbolsJson(*index)).toJson(QJsonDocument::Indented);
        return 0;
    }
    const ProjectIndex::Counts c = index->counts();
    if (json) {
        QJsonObject o{{"files", c.files},
                      {"modules", c.modules},
                      {"globalProcedures", c.globalProcedures},
                      {"moduleProcedures", c.moduleProcedures},
                      {"types", c.types},
                      {"variables", c.variables},
                      {"seconds", seconds},
                      {"peakMemoryMB", peakMemoryMB()}};
        out() << QJsonDocument(o).toJson(QJsonDocument::Compact) << "\n";
        return 0;
    }
    out() << "files parsed: " << c.files << "\n"
          << "modules: " << c.modules << "\n"
          << "global procedures: " << c.globalProcedures << "\n"
          << "module procedures: " << c.moduleProcedures << "\n"
          << "derived types: " << c.types << "\n"
          << "variables: " << c.variables << "\n";
    if (time)
        out() << "time: " << QString::number(seconds, 'f', 3) << " s\n"
              << "peak memory: " << QString::number(peakMemoryMB(), 'f', 1) << " MB\n";
    return 0;
}

} // namespace corvane::app
