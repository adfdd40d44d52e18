// Questions about the text around the caret that the editor asks while the user types: the word
// before the caret and its class, whether a position is in a comment or a string, and which word
// typing a delimiter upper-cases. Pure functions over the whole text (line ends "\n").
#pragma once

#include "editor/colourscanner.h"

#include <QStringView>

#include <optional>

namespace corvane
{

// A word of the text and its class.
struct ClassifiedWord {
    KeywordClass type = NoKeyword;
    qsizetype start = 0;
    qsizetype length = 0;
    friend bool operator==(const ClassifiedWord &, const ClassifiedWord &) = default;
};

// The start of the line holding position (the index after the previous "\n").
qsizetype lineStartAt(QStringView text, qsizetype position);

// The word that ends just before the character before the caret (the caret follows a typed
// delimiter): from the last delimiter of the line before caret - 1 to caret - 1. Class 0 when the
// text has at most one character or the caret is at its line's start.
ClassifiedWord keywordTypeAndRangeBefore(const ColourScanner &scanner, QStringView text,
                                         qsizetype caret);

// Whether position lies in a comment of its line: in fixed form a line starting with C, c or * is
// all comment; otherwise the first "!" of the line is at or before position (quotes are not
// considered).
bool rangeIsWithinComment(QStringView text, qsizetype position, bool fixedForm);

// Whether the caret is inside a character string: an odd number of quote characters (either kind)
// from the line's start up to, not including, the character just before the caret.
bool selectedRangeIsInStringLiteral(QStringView text, qsizetype caret);

// The word that typing a delimiter at delimiterPosition upper-cases, if any: a keyword or
// intrinsic ending there, not in a comment, not in a string, and not in preprocessor text (a
// "#if" or "#define STOP end" line is never changed).
std::optional<ClassifiedWord> wordToUpcase(const ColourScanner &scanner, QStringView text,
                                           qsizetype delimiterPosition);

} // namespace corvane
