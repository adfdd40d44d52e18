// EndCompletion: the complete-procedure command. On a line that opens a unit or block
// ("subroutine solve(a)", "type point", "interface swap") it finds the matching end line, past
// contained units, and writes the name into it: "end subroutine" -> "end subroutine solve",
// "end subroutine old ! note" -> "end subroutine solve ! note". Lines are read only up to their
// first "!".
#pragma once

#include "structurescanner.h"
#include "textreplacement.h"

#include <optional>

namespace corvane
{

struct EndCompletionResult {
    bool completed = false;                     // false: the command beeps
    std::optional<TextReplacement> replacement; // absent when nothing needs to change
    qsizetype endLine = 0;                      // 1-based line of the end line, 0 when none

    bool operator==(const EndCompletionResult &) const = default;
};

class EndCompletion
{
public:
    // The completion for the caret at location of text.
    static EndCompletionResult tryCompleteUnitName(QStringView text, qsizetype location,
                                                   const StructureScanner &scanner);
};

} // namespace corvane
