// DiagnosticsPane: the side panel's page for the last build. An outline of the files that got
// diagnostics, each with its messages in line order, and below it the loader's messages. Choosing
// a row asks the window to open its file at its line.
#pragma once

#include "project/findresult.h"

#include <QWidget>

#include <optional>

class QPlainTextEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace corvane
{

class DiagnosticsPane : public QWidget
{
    Q_OBJECT
public:
    explicit DiagnosticsPane(QWidget *parent = nullptr);

    // One top-level row per file in the dictionary's order, one child per diagnostic.
    void fill(const std::optional<ErrorsDictionary> &errors);
    void setLoaderText(const QString &text);
    QString loaderText() const;

    QTreeWidget *outline() const { return m_outline; }
    QPlainTextEdit *loaderErrorsView() const { return m_loader; }
    // The rows as shown, "file" for a file row and "  line: text" for its children.
    QStringList shownRows() const;

signals:
    void rowChosen(const FindResult &row);
    // A double click on a row: its message in the message panel.
    void rowDoubleClicked(const FindResult &row);

private:
    std::optional<FindResult> rowOf(const QTreeWidgetItem *item) const;
    void choose(QTreeWidgetItem *item);

    QTreeWidget *m_outline;
    QPlainTextEdit *m_loader;
    QList<FindResult> m_rows; // what each outline row stands for, by the index it carries
};

} // namespace corvane
