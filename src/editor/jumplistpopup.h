// JumpListPopUp: the pop-up of the file's program units above the editor. It asks to be brought
// up to date just before it opens (aboutToShow), shows module entries in bold and marks as
// separators, and reports the entry the user chose.
#pragma once

#include "jumplist.h"

#include <QComboBox>

namespace corvane
{

class JumpListPopUp : public QComboBox
{
    Q_OBJECT
public:
    explicit JumpListPopUp(QWidget *parent = nullptr);

    // Shows the items and selects selectedIndex, without reporting a choice.
    void setItems(const QList<JumpListItem> &items, qsizetype selectedIndex);
    void showPopup() override;

signals:
    // The pop-up is about to open: the list may be rebuilt now (setItems).
    void aboutToShow();
    // The user chose the entry at index (the jump list's index: separators count).
    void entryChosen(int index);

private:
    void chosen(int index);
    bool m_filling = false;
};

} // namespace corvane
