// FindPane: the side panel's find page. A search field with a clear button, switches for letter
// case, whole words and regular expressions, a line telling how much was found, and the results
// outline. Enter in the field asks for a search, clearing the field asks to clear the results,
// choosing an outline row asks to open it.
#pragma once

#include "build/projectfind.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QToolButton;
class QTreeView;

namespace corvane
{

class FindResultsModel;

class FindPane : public QWidget
{
    Q_OBJECT
public:
    explicit FindPane(QWidget *parent = nullptr);

    QLineEdit *searchField() const { return m_field; }
    QTreeView *outline() const { return m_outline; }
    FindResultsModel *results() const { return m_model; }
    QToolButton *caseButton() const { return m_case; }
    QToolButton *wordButton() const { return m_word; }
    QToolButton *regexButton() const { return m_regex; }
    QString statusText() const;

    FindOptions options() const;
    // Shows the nodes, all expanded, and the summary (or why nothing was found).
    void showResults(QList<FoundFile> files, const QString &status);
    // The rows as shown: the node's text, "  " + the match's text for its children.
    QStringList shownRows() const;

signals:
    void searchRequested(const QString &text);
    void clearRequested();
    void rowChosen(const FindResult &row);

private:
    void choose(const QModelIndex &index);

    QLineEdit *m_field;
    QToolButton *m_case;
    QToolButton *m_word;
    QToolButton *m_regex;
    QLabel *m_status;
    QTreeView *m_outline;
    FindResultsModel *m_model;
};

} // namespace corvane
