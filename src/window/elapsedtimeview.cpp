#include "window/elapsedtimeview.h"

#include "settings/defaults.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>

namespace corvane
{

namespace
{
const QString kUnitsKey = QStringLiteral("timeUnitsSelectionIndex");
}

ElapsedTimeView::ElapsedTimeView(QWidget *parent)
    : QWidget(parent), m_value(new QLabel), m_units(new QComboBox)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_value->setMinimumWidth(m_value->fontMetrics().horizontalAdvance("00000.000"));
    m_units->addItems({tr("seconds"), tr("minutes"), tr("hours")});
    layout->addWidget(m_value);
    layout->addWidget(m_units);
    // A stored index out of range (a damaged settings file) falls back to seconds.
    const int stored = Defaults::instance().intValue(kUnitsKey);
    m_units->setCurrentIndex(stored >= 0 && stored < m_units->count() ? stored : 0);
    showElapsed(0);
    connect(m_units, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0)
            return;
        Defaults::instance().setValue(kUnitsKey, index);
        emit unitChanged(index);
    });
}

void ElapsedTimeView::showElapsed(double elapsed)
{
    m_value->setText(QString::number(elapsed, 'f', 3));
}

QString ElapsedTimeView::elapsedText() const
{
    return m_value->text();
}

int ElapsedTimeView::unitIndex() const
{
    return m_units->currentIndex();
}

void ElapsedTimeView::setUnitIndex(int index)
{
    m_units->setCurrentIndex(index);
}

} // namespace corvane
