// Project-file speed: encoding and decoding the keyed archive of a large project (files,
// bookmarks, diagnostics, notes), and opening such a project from disk.
#include "project/archivecoders.h"
#include "project/corvanenote.h"
#include "project/keyedarchive.h"
#include "project/mydocument.h"
#include "project/prompts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace corvane;

namespace
{

// A root dictionary shaped like a real project file with n sources and n diagnostics.
QVariantMap projectRoot(int n)
{
    QStringList paths;
    QVariantList bookmarks;
    ErrorsDictionary errors;
    for (int i = 0; i < n; ++i) {
        const QString p = QString("/home/user/model/src/unit_%1.f90").arg(i);
        paths << p;
        bookmarks << QByteArray("CVBK1\n2049 ") + QByteArray::number(100000 + i) + "\n" +
                         p.toUtf8();
        errors.insert(p, {FindResult(p, "   call step(u, dt)", quint64(i + 1), 7)});
    }
    QVariantList notes;
    for (int i = 0; i < 20; ++i)
        notes << QVariant::fromValue(CorvaneNote{QDateTime::currentDateTime(), "note", "text"});
    return {{"fileList", paths.join('\n')},
            {"fileBookmarks", bookmarks},
            {"errorsDictionary", errorsDictionaryToVariant(errors)},
            {"ProjectNotes", notes},
            {"consoleText", QString(20000, 'x')},
            {"isDebugBuild", true},
            {"inputOption", qint64(2)}};
}

void BM_EncodeProject(benchmark::State &state)
{
    const QVariantMap root = projectRoot(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(KeyedArchive::encode(root));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_EncodeProject)->Arg(100)->Arg(1000);

void BM_DecodeProject(benchmark::State &state)
{
    const QByteArray bytes = *KeyedArchive::encode(projectRoot(int(state.range(0))));
    for (auto _ : state)
        benchmark::DoNotOptimize(KeyedArchive::decode(bytes));
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["bytes"] = double(bytes.size());
}
BENCHMARK(BM_DecodeProject)->Arg(100)->Arg(1000);

// Opening a saved project of n existing sources (bookmarks made, files checked on disk).
void BM_OpenProject(benchmark::State &state)
{
    QTemporaryDir dir;
    MyDocument doc;
    QStringList paths;
    for (int i = 0; i < state.range(0); ++i) {
        const QString p = dir.filePath(QString("unit_%1.f90").arg(i));
        QFile f(p);
        if (f.open(QIODevice::WriteOnly))
            f.write("end\n");
        paths << p;
    }
    doc.addFileNames(paths, false);
    const QString project = dir.filePath("big.corvane");
    if (!doc.write(project)) {
        state.SkipWithError("cannot write the project");
        return;
    }
    for (auto _ : state) {
        RecordingPrompts prompts;
        benchmark::DoNotOptimize(MyDocument::open(project, prompts));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_OpenProject)->Arg(100)->Arg(1000);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
