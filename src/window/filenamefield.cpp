#include "window/filenamefield.h"

#include "build/projectfind.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QStringListModel>

namespace corvane
{

FileNameField::FileNameField(QWidget *parent)
    : QLineEdit(parent), m_offered(new QStringListModel(this)),
      m_completer(new QCompleter(m_offered, this))
{
    setClearButtonEnabled(true);
    // The list is filtered here, so the completer shows what it is given.
    m_completer->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    m_completer->setCaseSensitivity(Qt::CaseInsensitive);
    m_completer->setWidget(this);
    connect(this, &QLineEdit::textEdited, this, &FileNameField::offerCompletions);
    connect(m_completer, qOverload<const QString &>(&QCompleter::activated), this,
            [this](const QString &name) {
                setText(name);
                m_chosenFromList = true;
                emit fileChosen(name);
            });
    connect(this, &QLineEdit::returnPressed, this, [this] {
        if (std::exchange(m_chosenFromList, false))
            return;
        m_completer->popup()->hide();
        emit fileChosen(text());
    });
}

void FileNameField::setFileNames(const QStringList &names)
{
    m_fileNames = names;
    if (m_completer->popup()->isVisible())
        offerCompletions(text());
}

QStringList FileNameField::offeredNames() const
{
    return m_completer->popup()->isVisible() ? m_offered->stringList() : QStringList();
}

void FileNameField::offerCompletions(const QString &text)
{
    m_chosenFromList = false;
    const QStringList names = fileNameCompletions(m_fileNames, text);
    m_offered->setStringList(names);
    if (names.isEmpty()) {
        m_completer->popup()->hide();
        return;
    }
    m_completer->complete();
    m_completer->popup()->setCurrentIndex(QModelIndex()); // nothing preselected
}

} // namespace corvane
