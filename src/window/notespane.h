// NotesPane: the project's notes as a table (date, header, text) with add and remove buttons.
// Changes go to the document, which marks itself changed.
#pragma once

#include <QWidget>

class QTableWidget;

namespace corvane
{

class MyDocument;

class NotesPane : public QWidget
{
    Q_OBJECT
public:
    explicit NotesPane(MyDocument *document, QWidget *parent = nullptr);

    void reload();
    void addNote();
    void removeSelectedNote();
    QTableWidget *table() const { return m_table; }

private:
    MyDocument *m_document;
    QTableWidget *m_table;
    bool m_reloading = false;
};

} // namespace corvane
