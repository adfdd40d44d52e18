// ProjectIndexer: keeps a document's ProjectIndex fresh. Each source is parsed as one task on the
// global thread pool; when all are done a worker merges the results into a new immutable snapshot,
// and the GUI thread publishes it with one pointer swap (MyDocument::setProjectIndex), copies each
// file's merged declarations onto its record and adds the dependants found. Texts of files open
// in the editor are taken on the GUI thread before the tasks start (unsaved edits included);
// others are read from disk as UTF-8 (Latin-1 fallback) with line endings normalised.
#pragma once

#include "analysis/fpreprocessor.h"
#include "project/fileoperations.h"
#include "project/projectindex.h"

#include <QFutureWatcher>
#include <QObject>

#include <functional>
#include <memory>
#include <optional>

namespace corvane
{

class FortranFile;
class MyDocument;
class Prompts;

class ProjectIndexer : public QObject, public Reindexer
{
    Q_OBJECT
public:
    ProjectIndexer(MyDocument &document, Prompts &prompts, QObject *parent = nullptr);
    ~ProjectIndexer() override;

    // Indexes the whole project in the background. False (nothing started) while a run is on.
    bool generateAllProcedureCompletions();
    // Re-parses files and their recorded dependants, merging with the previous results of the
    // others; beeps and does nothing while a run is on.
    void reindexFiles(const QList<std::shared_ptr<FortranFile>> &files) override;
    bool isIndexing() const override { return m_isIndexing; }
    // The whole project in the calling thread (parses still spread over the pool) and published
    // before returning; for the command line and benchmarks. Must not overlap a background run.
    // progress, when given, is called from the pool's threads (one at a time) after each parse
    // with the number of files parsed and of all files.
    using ParseProgress = std::function<void(qsizetype done, qsizetype total)>;
    void indexNow(const ParseProgress &progress = {});

    // Paths parsed by the last run, in project order.
    const QStringList &lastParsedPaths() const { return m_lastParsed; }
    // What the last run's parses had to say: INCLUDE files not found, include cycles.
    const QStringList &lastMessages() const { return m_lastMessages; }

    // Parses that read files never need the document: the text of path as indexing reads it,
    // or none when it cannot be read.
    static std::optional<QString> readSourceForIndexing(const QString &path);
    static const QString &indexingMessage(); // "Indexing..."

signals:
    // A run of more than five files started / ended: the window shows its progress animation.
    void progressStarted(const QString &message);
    void progressStopped();
    // A new snapshot was published.
    void indexPublished();

private:
    struct Job {
        QString path;
        QString text; // null: read from disk
        bool freeForm = true;
        // Defines and include folders for files with preprocessor directives.
        std::shared_ptr<const FPreprocessor::Options> preprocessor;
    };
    struct Parsed {
        QString path;
        std::shared_ptr<const FFileDeclarations> declarations; // null when unreadable
        QStringList messages; // INCLUDE files not found, include cycles
    };
    static Parsed parseOne(const Job &job);

    QList<Job> jobsFor(const QSet<QString> &paths) const;
    void start(const QList<Job> &jobs);
    void parsesFinished();
    QList<MergeInput> mergeInputs(const QList<Parsed> &parsed);
    void publish(std::shared_ptr<ProjectIndex> index, bool showProgress);
    // Circular module use: the message of the use chain, once per merge.
    void showIndexingErrorMessage(const QString &message);
    static bool showArgumentLists();

    MyDocument &m_document;
    Prompts &m_prompts;
    bool m_isIndexing = false;
    bool m_longRun = false;
    QStringList m_lastParsed;
    QStringList m_lastMessages;
    // Raw parse results by path; a partial run merges these for the files it does not parse.
    QHash<QString, std::shared_ptr<const FFileDeclarations>> m_parsed;
    QFutureWatcher<Parsed> m_parseWatcher;
    QFutureWatcher<std::shared_ptr<ProjectIndex>> m_mergeWatcher;
};

} // namespace corvane
