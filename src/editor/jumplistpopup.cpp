#include "jumplistpopup.h"

#include <QFont>
#include <QStandardItemModel>

namespace corvane
{

JumpListPopUp::JumpListPopUp(QWidget *parent) : QComboBox(parent)
{
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
    setMinimumContentsLength(24);
    setFocusPolicy(Qt::NoFocus); // the keyboard stays in the text
    setToolTip(tr("Program units and marks of the file"));
    connect(this, &QComboBox::activated, this, &JumpListPopUp::chosen);
}

void JumpListPopUp::setItems(const QList<JumpListItem> &items, qsizetype selectedIndex)
{
    m_filling = true;
    clear();
    QFont bold = font();
    bold.setBold(true);
    for (const JumpListItem &item : items) {
        if (item.separator) {
            // A mark: a separator with the mark's text as its tooltip, at the same position.
            insertSeparator(count());
            setItemData(count() - 1, item.title, Qt::ToolTipRole);
            setItemData(count() - 1, item.title, Qt::AccessibleTextRole);
            continue;
        }
        addItem(item.title);
        if (item.bold)
            setItemData(count() - 1, bold, Qt::FontRole);
    }
    setCurrentIndex(int(selectedIndex));
    m_filling = false;
}

void JumpListPopUp::showPopup()
{
    emit aboutToShow();
    QComboBox::showPopup();
}

void JumpListPopUp::chosen(int index)
{
    if (!m_filling && index >= 0)
        emit entryChosen(index);
}

} // namespace corvane
