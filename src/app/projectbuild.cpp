#include "projectbuild.h"

#include "build/builddriver.h"
#include "build/buildfiles.h"
#include "build/interactiveconsolecontroller.h"
#include "build/makefilegenerator.h"
#include "build/rundriver.h"
#include "build/terminalconsole.h"
#include "commands.h"
#include "interrupthandler.h"
#include "progress.h"
#include "project/fileoperations.h"
#include "project/mydocument.h"
#include "project/prompts.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace corvane::app
{

namespace
{

void reportPrompts(RecordingPrompts &prompts)
{
    for (const QString &s : prompts.alerts + prompts.errors)
        err() << "corvane: " << QString(s).replace(QLatin1Char('\n'), QLatin1String(": ")) << "\n";
    err().flush();
    prompts.alerts.clear();
    prompts.errors.clear();
}

// The project's sources by the object file name the Makefile compiles them to.
QHash<QString, QString> sourcesByObject(const MyDocument &document)
{
    QHash<QString, QString> sources;
    for (const QString &path : document.fileNames())
        sources.insert(MakefileGenerator::objectFileNameForPath(path), QFileInfo(path).fileName());
    return sources;
}

// The source a line make echoed compiles ("$(F90) -c ... -o geo.o .../geo.f90"), or none.
QString compiledSource(const QString &line, const QHash<QString, QString> &sources)
{
    if (!line.contains(QLatin1String(" -c ")))
        return QString();
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    const QStringList words = line.split(blanks, Qt::SkipEmptyParts);
    const qsizetype o = words.indexOf(QLatin1String("-o"));
    if (o < 0 || o + 1 >= words.size())
        return QString();
    QString object = words[o + 1];
    object.remove(QLatin1Char('\'')).remove(QLatin1Char('"'));
    if (object.startsWith(QLatin1String("./")))
        object.remove(0, 2);
    return sources.value(object);
}

// How many compiles make will run: its dry run in the build folder, just before the build.
int compilesToRun(const MyDocument &document, const QHash<QString, QString> &sources)
{
    const QString make = QStandardPaths::findExecutable(QStringLiteral("make"));
    if (make.isEmpty())
        return 0;
    QProcess dryRun;
    dryRun.setWorkingDirectory(document.buildDirectoryPath());
    dryRun.setStandardErrorFile(QProcess::nullDevice());
    dryRun.start(make, {QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("-f"),
                        document.pathToMakefile()});
    if (!dryRun.waitForFinished(30000)) {
        dryRun.kill();
        dryRun.waitForFinished();
        return 0;
    }
    int compiles = 0;
    for (const QString &line : QString::fromLocal8Bit(dryRun.readAllStandardOutput()).split(u'\n'))
        if (!compiledSource(line, sources).isEmpty())
            ++compiles;
    return compiles;
}

// Passes the build's console text on and shows the compile make runs on the progress line,
// "compiling geo.f90 (3 of 12)", then "linking". The line is taken away while other text is
// written.
class CompileProgressConsole : public Console
{
public:
    CompileProgressConsole(Console &inner, Progress &progress, QHash<QString, QString> sources)
        : m_inner(inner), m_progress(progress), m_sources(std::move(sources))
    {
    }
    void setTotal(int total) { m_total = total; }
    const QHash<QString, QString> &sources() const { return m_sources; }

    void append(const QString &text, Role role) override
    {
        m_progress.clear();
        m_inner.append(text, role);
        m_partial += text;
        qsizetype end;
        while ((end = m_partial.indexOf(u'\n')) >= 0) {
            const QString line = m_partial.left(end);
            const QString source = compiledSource(line, m_sources);
            m_partial.remove(0, end + 1);
            if (source.isEmpty()) {
                // The product is linked (or archived) once the objects are made.
                if (line.contains(QLatin1String(" -o ")) || line.startsWith(QLatin1String("ar ")))
                    m_progress.show(QStringLiteral("linking"));
                continue;
            }
            ++m_done;
            m_progress.show(
                m_total >= m_done
                    ? QStringLiteral("compiling %1 (%2 of %3)")
                          .arg(source, Progress::count(m_done), Progress::count(m_total))
                    : QStringLiteral("compiling %1 (%2)").arg(source, Progress::count(m_done)));
        }
        m_progress.restore();
    }
    void clear() override { m_inner.clear(); }

private:
    Console &m_inner;
    Progress &m_progress;
    QHash<QString, QString> m_sources;
    QString m_partial;
    int m_total = 0;
    int m_done = 0;
};

} // namespace

bool buildProject(MyDocument &document, const BuildOptions &options)
{
    TerminalConsole terminal(stdout, stderr, TerminalConsole::isTerminal(stdout),
                             TerminalConsole::isTerminal(stderr));
    Progress progress;
    std::optional<CompileProgressConsole> progressConsole;
    if (progress.enabled())
        progressConsole.emplace(terminal, progress, sourcesByObject(document));
    Console &console = progressConsole ? static_cast<Console &>(*progressConsole) : terminal;
    InteractiveConsoleController runner(&console);
    runner.consoleTail = 0;
    RecordingPrompts prompts;
    RunDriver run(&document, &runner, &prompts);
    if (progressConsole) {
        // The Makefile is written and make is about to start when the build's progress text
        // appears.
        QObject::connect(&run, &RunDriver::progressChanged, &run, [&](const QString &text) {
            if (text == QLatin1String(buildtexts::kBuilding))
                progressConsole->setTotal(compilesToRun(document, progressConsole->sources()));
        });
    }
    FileOperations files(document, prompts);
    BuildDriver driver(&document, &run, &files, &prompts);
    driver.setVerboseOutput(options.verbose);
    driver.setParallelBuildOverride(options.parallel);
    driver.setParallelJobsOverride(options.jobs);

    bool finished = false;
    QEventLoop loop;
    QObject::connect(&driver, &BuildDriver::buildFinished, &loop, [&] {
        finished = true;
        loop.quit();
    });

    // Ctrl-C while make runs aborts the build (make runs in a process group of its own).
    auto interrupt = std::make_unique<InterruptHandler>([&] { driver.abort(); });

    const bool started = driver.build();
    reportPrompts(prompts);
    if (started && !finished)
        loop.exec();
    reportPrompts(prompts);

    interrupt.reset();
    progress.clear();

    if (options.printDiagnostics && driver.errorsDictionary()) {
        for (const QString &line : buildfiles::diagnosticLines(*driver.errorsDictionary()))
            out() << line << "\n";
        out().flush();
    }
    return driver.productWasMade();
}

} // namespace corvane::app
