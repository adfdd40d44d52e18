#include "project/projectindexer.h"

#include "analysis/ffileparser.h"
#include "project/fortranfile.h"
#include "project/indexpreprocessing.h"
#include "project/mydocument.h"
#include "project/prompts.h"
#include "project/sourcetext.h"
#include "settings/defaults.h"
#include "settings/settingskeys.h"

#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QtConcurrent>

namespace corvane
{

namespace
{

constexpr int kLongRunFileCount = 5; // more files than this show the progress animation

} // namespace

const QString &ProjectIndexer::indexingMessage()
{
    static const QString message = QStringLiteral("Indexing...");
    return message;
}

ProjectIndexer::ProjectIndexer(MyDocument &document, Prompts &prompts, QObject *parent)
    : QObject(parent), m_document(document), m_prompts(prompts)
{
    connect(&m_parseWatcher, &QFutureWatcherBase::finished, this, &ProjectIndexer::parsesFinished);
    connect(&m_mergeWatcher, &QFutureWatcherBase::finished, this, [this] {
        if (m_mergeWatcher.future().resultCount() > 0)
            publish(m_mergeWatcher.result(), m_longRun);
    });
}

// Running tasks hold no reference to this object; their results are simply dropped.
ProjectIndexer::~ProjectIndexer() = default;

std::optional<QString> ProjectIndexer::readSourceForIndexing(const QString &path)
{
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    std::optional<QString> text = readDecodedSource(file);
    if (!text)
        return std::nullopt;
    return normaliseLineEndings(std::move(*text));
}

bool ProjectIndexer::showArgumentLists()
{
    return Defaults::instance().boolValue(keys::showArgumentListsDuringAutocomplete);
}

ProjectIndexer::Parsed ProjectIndexer::parseOne(const Job &job)
{
    const unsigned form = job.freeForm ? FStatementReader::FreeForm : FStatementReader::FixedForm;
    FFileParser parser;
    if (job.text.isNull() && job.preprocessor) {
        // Read for preprocessing from the file's bytes, so that its decoded text is not held
        // beside the preprocessed text.
        std::optional<SourceForIndexing> source =
            loadSourceForIndexing(job.path, *job.preprocessor, nullptr);
        if (!source)
            return {job.path, nullptr};
        return {job.path,
                parser.declarationsInFortranFile(job.path, std::move(source->text), form,
                                                 source->sourceMap ? &*source->sourceMap : nullptr),
                source->messages};
    }
    QString text = job.text;
    if (text.isNull()) {
        std::optional<QString> read = readSourceForIndexing(job.path);
        if (!read)
            return {job.path, nullptr};
        text = std::move(*read);
    }
    if (!job.preprocessor)
        return {job.path, parser.declarationsInFortranFile(job.path, std::move(text), form)};
    SourceForIndexing source = sourceForIndexing(job.path, text, *job.preprocessor);
    text = QString(); // a preprocessed text replaces the file's for the parse, which is the peak
    return {job.path,
            parser.declarationsInFortranFile(job.path, std::move(source.text), form,
                                             source.sourceMap ? &*source.sourceMap : nullptr),
            source.messages};
}

QList<ProjectIndexer::Job> ProjectIndexer::jobsFor(const QSet<QString> &paths) const
{
    QList<Job> jobs;
    QString compiler = m_document.projectCompilerPath();
    if (compiler.isEmpty())
        compiler = Defaults::instance().stringValue(QString::fromLatin1(keys::compilerPath));
    const auto preprocessor = std::make_shared<const FPreprocessor::Options>(
        preprocessorOptions(m_document.compilerFlags(), m_document.includeFlags(), compiler,
                            m_document.docDirectoryPath()));
    for (const auto &file : m_document.projectFiles()) {
        const QString &path = file->filePath();
        if (!paths.contains(path))
            continue;
        if (!m_document.parseableExtensions().contains(QFileInfo(path).suffix().toLower()))
            continue;
        // The editor's text, copied here on the GUI thread, wins over the file on disk.
        QString text = file->textStorage() ? normaliseLineEndings(file->text()) : QString();
        jobs.append({path, std::move(text), file->isF90File(), preprocessor});
    }
    return jobs;
}

bool ProjectIndexer::generateAllProcedureCompletions()
{
    if (m_isIndexing)
        return false;
    QSet<QString> all;
    for (const auto &file : m_document.projectFiles())
        all.insert(file->filePath());
    m_longRun = m_document.projectFiles().size() > kLongRunFileCount;
    start(jobsFor(all));
    return true;
}

void ProjectIndexer::reindexFiles(const QList<std::shared_ptr<FortranFile>> &files)
{
    if (m_isIndexing) {
        m_prompts.beep();
        return;
    }
    // The saved files and every file that depends on them, directly or through other files:
    // each file records its direct dependants, and the walk follows them.
    QHash<QString, const FortranFile *> byPath;
    for (const auto &file : m_document.projectFiles())
        byPath.insert(file->filePath(), file.get());
    QSet<QString> paths;
    QList<const FortranFile *> pending;
    for (const auto &file : files) {
        if (file && !paths.contains(file->filePath())) {
            paths.insert(file->filePath());
            pending.append(file.get());
        }
    }
    while (!pending.isEmpty()) {
        const FortranFile *file = pending.takeLast();
        for (const QString &dependant : std::as_const(file->dependentFileNames())) {
            if (paths.contains(dependant))
                continue;
            paths.insert(dependant);
            if (const FortranFile *next = byPath.value(dependant))
                pending.append(next);
        }
    }
    const QList<Job> jobs = jobsFor(paths);
    m_longRun = jobs.size() > kLongRunFileCount;
    start(jobs);
}

void ProjectIndexer::start(const QList<Job> &jobs)
{
    m_isIndexing = true;
    m_lastParsed.clear();
    for (const Job &job : jobs)
        m_lastParsed.append(job.path);
    if (m_longRun)
        emit progressStarted(indexingMessage());
    m_parseWatcher.setFuture(QtConcurrent::mapped(QThreadPool::globalInstance(), jobs, &parseOne));
}

QList<MergeInput> ProjectIndexer::mergeInputs(const QList<Parsed> &parsed)
{
    m_lastMessages.clear();
    QSet<const FFileDeclarations *> fresh;
    for (const Parsed &p : parsed) {
        m_lastMessages += p.messages;
        if (p.declarations) { // an unreadable file keeps its previous declarations
            m_parsed.insert(p.path, p.declarations);
            fresh.insert(p.declarations.get());
        }
    }
    // This round's parses are merged in place: no snapshot holds them yet, and a later merge
    // that takes them again from m_parsed works on copies, as the published snapshot shares them.
    QList<MergeInput> inputs;
    QSet<QString> present;
    for (const auto &file : m_document.projectFiles()) {
        auto declarations = m_parsed.value(file->filePath());
        const bool exclusive = declarations && fresh.remove(declarations.get());
        inputs.append({file->filePath(), std::move(declarations), exclusive});
        present.insert(file->filePath());
    }
    // Forget files no longer in the project.
    for (auto it = m_parsed.begin(); it != m_parsed.end();)
        it = present.contains(it.key()) ? std::next(it) : m_parsed.erase(it);
    return inputs;
}

void ProjectIndexer::parsesFinished()
{
    const QList<MergeInput> inputs = mergeInputs(m_parseWatcher.future().results());
    const int parsedCount = int(m_lastParsed.size());
    const bool show = showArgumentLists();
    m_mergeWatcher.setFuture(QtConcurrent::run([inputs, show, parsedCount] {
        auto index = gatherProjectDeclarations(inputs, show);
        index->filesParsed = parsedCount;
        return index;
    }));
}

void ProjectIndexer::indexNow(const ParseProgress &progress)
{
    QSet<QString> all;
    for (const auto &file : m_document.projectFiles())
        all.insert(file->filePath());
    const QList<Job> jobs = jobsFor(all);
    m_lastParsed.clear();
    for (const Job &job : jobs)
        m_lastParsed.append(job.path);
    QMutex progressMutex;
    qsizetype done = 0;
    const QList<Parsed> parsed =
        QtConcurrent::blockingMapped<QList<Parsed>>(jobs, [&](const Job &job) {
            Parsed one = parseOne(job);
            if (progress) {
                const QMutexLocker locker(&progressMutex);
                progress(++done, jobs.size());
            }
            return one;
        });
    auto index = gatherProjectDeclarations(mergeInputs(parsed), showArgumentLists());
    index->filesParsed = int(jobs.size());
    m_isIndexing = true;
    publish(std::move(index), false);
}

void ProjectIndexer::publish(std::shared_ptr<ProjectIndex> index, bool showProgress)
{
    for (const auto &file : m_document.projectFiles()) {
        if (auto declarations = index->declarationsForFile(file->filePath()))
            file->setDeclarations(std::const_pointer_cast<FFileDeclarations>(declarations));
        // The dependants move to the files' records, which keep them between snapshots.
        const auto it = index->dependants.find(file->filePath());
        if (it != index->dependants.end()) {
            QStringList &recorded = file->dependentFileNames();
            if (recorded.isEmpty()) {
                recorded = std::move(*it);
            } else {
                // A set of what is there keeps this linear: a module at the bottom of a big
                // project has thousands of dependants, and this runs on the GUI thread.
                QSet<QString> have(recorded.cbegin(), recorded.cend());
                for (const QString &path : std::as_const(*it))
                    if (!have.contains(path)) {
                        have.insert(path);
                        recorded.append(path);
                    }
            }
            recorded.squeeze();
            index->dependants.erase(it);
        }
    }
    const QString message = index->errorMessage;
    m_document.setProjectIndex(std::move(index));
    m_isIndexing = false;
    if (showProgress)
        emit progressStopped();
    emit indexPublished();
    if (!message.isEmpty())
        showIndexingErrorMessage(message);
}

void ProjectIndexer::showIndexingErrorMessage(const QString &message)
{
    m_prompts.alert(message, kCircularReferencesInfo);
}

} // namespace corvane
