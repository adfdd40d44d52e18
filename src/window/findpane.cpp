#include "window/findpane.h"

#include "window/findresultsmodel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace corvane
{

namespace
{

QToolButton *optionButton(const QString &text, const QString &toolTip)
{
    auto *button = new QToolButton;
    button->setText(text);
    button->setToolTip(toolTip);
    button->setCheckable(true);
    button->setAutoRaise(true);
    return button;
}

} // namespace

FindPane::FindPane(QWidget *parent)
    : QWidget(parent), m_field(new QLineEdit), m_case(optionButton("Aa", tr("Match Case"))),
      m_word(optionButton("W", tr("Whole Words Only"))),
      m_regex(optionButton(".*", tr("Regular Expression"))), m_status(new QLabel),
      m_outline(new QTreeView), m_model(new FindResultsModel(this))
{
    m_field->setPlaceholderText(tr("Find in project"));
    m_field->setClearButtonEnabled(true);
    m_status->setWordWrap(true);
    m_status->setContentsMargins(6, 0, 4, 0);
    m_status->setEnabled(false);
    m_outline->setModel(m_model);
    m_outline->setHeaderHidden(true);
    m_outline->setUniformRowHeights(true);
    m_outline->setExpandsOnDoubleClick(false);
    m_outline->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_outline->setTextElideMode(Qt::ElideRight);

    auto *fieldRow = new QHBoxLayout;
    fieldRow->setContentsMargins(4, 4, 4, 0);
    fieldRow->setSpacing(1);
    fieldRow->addWidget(m_field, 1);
    for (QToolButton *button : {m_case, m_word, m_regex})
        fieldRow->addWidget(button);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addLayout(fieldRow);
    layout->addWidget(m_status);
    layout->addWidget(m_outline, 1);

    connect(m_field, &QLineEdit::returnPressed, this,
            [this] { emit searchRequested(m_field->text()); });
    // The clear button, or deleting the whole text, empties the results.
    connect(m_field, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (text.isEmpty())
            emit clearRequested();
    });
    connect(m_outline, &QTreeView::activated, this, &FindPane::choose);
    connect(m_outline, &QTreeView::clicked, this, &FindPane::choose);
}

QString FindPane::statusText() const
{
    return m_status->text();
}

FindOptions FindPane::options() const
{
    return FindOptions{m_case->isChecked(), m_word->isChecked(), m_regex->isChecked()};
}

void FindPane::showResults(QList<FoundFile> files, const QString &status)
{
    m_model->setFiles(std::move(files));
    m_outline->expandAll();
    m_status->setText(status);
}

QStringList FindPane::shownRows() const
{
    QStringList rows;
    for (int i = 0; i < m_model->rowCount(); ++i) {
        const QModelIndex file = m_model->index(i, 0);
        rows << file.data().toString();
        for (int j = 0; j < m_model->rowCount(file); ++j)
            rows << QStringLiteral("  ") + m_model->index(j, 0, file).data().toString();
    }
    return rows;
}

void FindPane::choose(const QModelIndex &index)
{
    if (const std::optional<FindResult> row = m_model->rowAt(index))
        emit rowChosen(*row);
}

} // namespace corvane
