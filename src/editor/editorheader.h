// EditorHeader: the bar above the editor text: the jump-list pop-up, the editable line field
// ("7/40"; type a number and press Return to go to that line) and the column read-out
// ("6:8(3)/20").
#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;

namespace corvane
{

class JumpListPopUp;
struct LineReadout;

class EditorHeader : public QWidget
{
    Q_OBJECT
public:
    explicit EditorHeader(QWidget *parent = nullptr);

    JumpListPopUp *popUp() const { return m_popUp; }
    QLineEdit *lineField() const { return m_lineField; }
    QLabel *columnField() const { return m_columnField; }

    // Shows the read-out (not while the user is typing in the line field).
    void showReadout(const LineReadout &readout);
    // Puts the keyboard in the line field with its number selected.
    void focusLineField();

signals:
    // Return was pressed in the line field.
    void lineEntered(const QString &field);

private:
    JumpListPopUp *m_popUp;
    QLineEdit *m_lineField;
    QLabel *m_columnField;
};

} // namespace corvane
