// LineReadout: the line and column texts of the editor's status line for a selection, and the
// plain moves the status line and the keyboard offer: to a line, to the next insert marker "!^".
#pragma once

#include "project/textrange.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace corvane
{

struct LineReadout {
    QString currentLineNumbers;   // "7/40"; "3:5(3)/40" for a selection over lines 3 to 5
    QString currentColumnNumbers; // "5/20" for a caret; "6:8(3)/20" for 3 characters selected
    quint64 currentLineNumber = 1;
    quint64 numberOfLines = 1;
    quint64 numberOfColumns = 0;

    bool operator==(const LineReadout &) const = default;

    // The read-out for a selection (several ranges joined first, see rangeForRanges). A selection
    // ending with a line feed ends before it.
    static LineReadout scanForLineAndColumn(QStringView text, TextRange selection);
    // The same where the caller knows the 1-based line of the selection's start (after it is
    // made safe for the text) and the number of line feeds in the text: only the selection and
    // its lines are read, so the cost does not grow with the text.
    static LineReadout scanForLineAndColumn(QStringView text, TextRange selection,
                                            quint64 lineOfStart, qsizetype lineFeeds);
};

// The insert marker of templates and completions.
inline constexpr char kInsertMarker[] = "!^";

class TextNavigation
{
public:
    // The line the line field asks for: its leading integer before any "/", or none (the editor
    // beeps) when that is not below the text's length.
    static std::optional<qint64> lineForField(QStringView field, qsizetype textLength);
    // Line n whole, terminator included; the last line when the text has fewer lines, the first
    // for n below 1.
    static TextRange rangeOfLine(QStringView text, qint64 n);
    // The next "!^" from the selection (past a selected marker); none (beep) when there is none
    // up to the text's end.
    static std::optional<TextRange> nextInsertMarker(QStringView text, TextRange selection);
};

} // namespace corvane
