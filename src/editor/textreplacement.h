// TextReplacement: the undoable replacement every editor command makes (a range, the new text and
// the undo title), and the range helpers the commands share.
#pragma once

#include "project/textrange.h"

#include <QList>
#include <QString>
#include <QStringView>

namespace corvane
{

struct TextReplacement {
    TextRange rangeValue;      // the characters replaced
    QString replacementString; // the new text
    QString actionName;        // the undo step's title

    bool operator==(const TextReplacement &) const = default;
};

// Undo titles of the structure commands.
inline constexpr char kProcedureCompletionAction[] = "Procedure Completion";
inline constexpr char kCompleteParenthesisAction[] = "Complete Parenthesis";

// The range clipped to a text of textLength characters: location min(location, length), length
// up to the text's end.
TextRange safeRangeForRange(TextRange range, quint64 textLength);
// One range from the first range's start to the last range's end; {0, 0} for no ranges.
TextRange rangeForRanges(const QList<TextRange> &ranges);
// The whole lines that range touches, the last line's terminator included. An empty range at
// the start of a line gives that line.
TextRange lineRangeForRange(QStringView text, TextRange range);
// Makes the replacement in a plain text (clipped to it) and returns the line range of the
// inserted text, as the editor's edited range after a command.
TextRange applyReplacement(QString &text, const TextReplacement &replacement);

} // namespace corvane
