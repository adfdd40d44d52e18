#include "corvanenote.h"

#include <QLocale>
#include <QRegularExpression>

namespace corvane
{

namespace
{

// Qt has no medium date style: take the locale's long format without the weekday and with
// abbreviated month names ("Tuesday, December 8, 2026" -> "Dec 8, 2026").
QString mediumDateFormat(const QLocale &locale)
{
    QString format = locale.dateFormat(QLocale::LongFormat);
    static const QRegularExpression weekday("d{4}[,.]?\\s*");
    format.remove(weekday);
    format.replace("MMMM", "MMM");
    return format.trimmed();
}

} // namespace

QString CorvaneNote::noteForPrinting() const
{
    const QLocale locale;
    QString when;
    if (date.isValid())
        when = locale.toString(date.date(), mediumDateFormat(locale)) + ", " +
               locale.toString(date.time(), QLocale::ShortFormat);
    return QString("%1: %2\n%3\n\n").arg(when, noteHeader, noteText);
}

} // namespace corvane
