#include "editorheader.h"

#include "jumplistpopup.h"
#include "linereadout.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace corvane
{

EditorHeader::EditorHeader(QWidget *parent)
    : QWidget(parent), m_popUp(new JumpListPopUp(this)), m_lineField(new QLineEdit(this)),
      m_columnField(new QLabel(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 1, 2, 1);
    layout->addWidget(m_popUp, 1);
    auto *lineLabel = new QLabel(tr("Line:"), this);
    lineLabel->setBuddy(m_lineField);
    layout->addWidget(lineLabel);
    m_lineField->setObjectName("lineField");
    m_lineField->setToolTip(tr("Line of the selection and line count; type a line number and "
                               "press Return to go there"));
    m_lineField->setMaximumWidth(
        fontMetrics().horizontalAdvance(QStringLiteral("0000000:0000000(00000)/0000000")));
    layout->addWidget(m_lineField);
    layout->addWidget(new QLabel(tr("Column:"), this));
    m_columnField->setObjectName("columnField");
    m_columnField->setToolTip(tr("Column of the selection, selected characters and line length"));
    m_columnField->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_columnField);
    connect(m_lineField, &QLineEdit::returnPressed, this,
            [this] { emit lineEntered(m_lineField->text()); });
}

void EditorHeader::showReadout(const LineReadout &readout)
{
    if (!m_lineField->hasFocus())
        m_lineField->setText(readout.currentLineNumbers);
    m_columnField->setText(readout.currentColumnNumbers);
}

void EditorHeader::focusLineField()
{
    m_lineField->setFocus(Qt::ShortcutFocusReason);
    const QString text = m_lineField->text();
    const qsizetype slash = text.indexOf(u'/');
    m_lineField->setSelection(0, int(slash < 0 ? text.size() : slash));
}

} // namespace corvane
