// CorvaneNote: one user note of a project (date, header, text), archived in the project file under
// the class name "CorvaneNote" with the keys "date", "noteHeader" and "noteText".
#pragma once

#include <QDateTime>
#include <QMetaType>
#include <QString>

namespace corvane
{

struct CorvaneNote {
    QDateTime date;     // invalid = none
    QString noteHeader; // null = none
    QString noteText;   // null = none

    // "%@: %@\n%@\n\n": the date (medium date, short time, the user's locale), header and text.
    QString noteForPrinting() const;

    bool operator==(const CorvaneNote &) const = default;
};

} // namespace corvane

Q_DECLARE_METATYPE(corvane::CorvaneNote)
