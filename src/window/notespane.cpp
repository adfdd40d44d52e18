#include "window/notespane.h"

#include "project/mydocument.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace corvane
{

NotesPane::NotesPane(MyDocument *document, QWidget *parent)
    : QWidget(parent), m_document(document), m_table(new QTableWidget(0, 3))
{
    m_table->setHorizontalHeaderLabels({tr("Date"), tr("Title"), tr("Note")});
    m_table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Interactive);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->verticalHeader()->hide();
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setColumnWidth(1, 200);

    auto *add = new QPushButton(tr("Add Note"));
    auto *remove = new QPushButton(tr("Remove Note"));
    connect(add, &QPushButton::clicked, this, &NotesPane::addNote);
    connect(remove, &QPushButton::clicked, this, &NotesPane::removeSelectedNote);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addStretch(1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_table);
    layout->addLayout(buttons);

    connect(m_table, &QTableWidget::cellChanged, this, [this](int row, int column) {
        if (m_reloading || column == 0 || row >= m_document->notes().size())
            return;
        CorvaneNote note = m_document->notes().at(row);
        (column == 1 ? note.noteHeader : note.noteText) = m_table->item(row, column)->text();
        m_document->setNoteAtIndex(row, note);
    });
    reload();
}

void NotesPane::reload()
{
    m_reloading = true;
    const auto &notes = m_document->notes();
    m_table->setRowCount(int(notes.size()));
    for (int i = 0; i < notes.size(); ++i) {
        auto *date = new QTableWidgetItem(
            notes[i].date.isValid() ? QLocale().toString(notes[i].date, QLocale::ShortFormat)
                                    : QString());
        date->setFlags(date->flags() & ~Qt::ItemIsEditable);
        m_table->setItem(i, 0, date);
        m_table->setItem(i, 1, new QTableWidgetItem(notes[i].noteHeader));
        m_table->setItem(i, 2, new QTableWidgetItem(notes[i].noteText));
    }
    m_reloading = false;
}

void NotesPane::addNote()
{
    CorvaneNote note;
    note.date = QDateTime::currentDateTime();
    m_document->addNote(note);
    reload();
    const int row = m_table->rowCount() - 1;
    m_table->setCurrentCell(row, 1);
    m_table->editItem(m_table->item(row, 1));
}

void NotesPane::removeSelectedNote()
{
    const int row = m_table->currentRow();
    if (row < 0 || row >= m_document->notes().size())
        return;
    m_document->removeNoteAtIndex(row);
    reload();
}

} // namespace corvane
