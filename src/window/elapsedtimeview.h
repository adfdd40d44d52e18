// ElapsedTimeView: the elapsed time of the current build or run with its unit choice (seconds,
// minutes, hours). The choice is kept in "timeUnitsSelectionIndex".
#pragma once

#include <QWidget>

class QComboBox;
class QLabel;

namespace corvane
{

class ElapsedTimeView : public QWidget
{
    Q_OBJECT
public:
    explicit ElapsedTimeView(QWidget *parent = nullptr);

    void showElapsed(double elapsed); // in the chosen unit
    QString elapsedText() const;
    int unitIndex() const;
    void setUnitIndex(int index);

signals:
    void unitChanged(int index);

private:
    QLabel *m_value;
    QComboBox *m_units;
};

} // namespace corvane
