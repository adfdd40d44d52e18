// TextPosition: a place in a text as people and compilers name it, a 1-based line and a 1-based
// column counted in characters (a character outside the Basic Multilingual Plane is one column,
// two UTF-16 units), and its conversion to and from editor offsets (UTF-16 units from 0).
#pragma once

#include <QStringView>

#include <optional>

namespace corvane
{

struct TextPosition {
    qsizetype line = 1;
    qsizetype column = 1;

    bool operator==(const TextPosition &) const = default;
};

// The offset of a position in a text whose lines end with "\n". A column past the end of its line
// is the line's end (before its terminator); a line past the last line, or a line or column
// below 1, gives none.
std::optional<qsizetype> offsetForPosition(QStringView text, TextPosition position);
// The position of an offset (clipped to the text).
TextPosition positionForOffset(QStringView text, qsizetype offset);

} // namespace corvane
