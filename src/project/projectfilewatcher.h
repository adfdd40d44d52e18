// ProjectFileWatcher: tells while a project is open that another program changed its project
// file. It watches the file and its folder (a program that saves by renaming a new file over the
// old one replaces the watched file) and compares the file on disk with the state the document
// last read or wrote, so the document's own saves are never told. Each new state is told once.
#pragma once

#include <QByteArray>
#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

namespace corvane
{

class MyDocument;

class ProjectFileWatcher : public QObject
{
    Q_OBJECT
public:
    // Events are gathered for this long before the file is looked at: a program writing in
    // several steps is told once.
    static constexpr int kSettleMs = 150;

    explicit ProjectFileWatcher(MyDocument *document, QObject *parent = nullptr);

    // Follows the document's current file name (after Save As, or once a new project is saved).
    void watchDocumentFile();
    QStringList watchedPaths() const;
    // Looks at the file now, as a settled event would.
    void check();

signals:
    // The project file on disk is no longer the one this document read or wrote.
    void changedOnDisk();

private:
    MyDocument *m_document;
    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    QString m_path;
    QByteArray m_toldState;
};

} // namespace corvane
