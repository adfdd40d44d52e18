// TextRange: a location and a length in UTF-16 units (an editor selection), archived as a range
// value.
#pragma once

#include <QMetaType>
#include <QtGlobal>

namespace corvane
{

struct TextRange {
    quint64 location = 0;
    quint64 length = 0;

    bool operator==(const TextRange &) const = default;
};

} // namespace corvane

Q_DECLARE_METATYPE(corvane::TextRange)
