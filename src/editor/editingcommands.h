// EditingCommands: the Fortran editing commands as functions of the text and the selection, so
// the editor, the benchmarks and the tests share one logic. Each command gives the one
// replacement it makes (range, new text and undo title; none when the text stays as it is) and
// the selection afterwards. The editor makes the replacement through its undoable replacement,
// so each command is one undo step that gives back the exact text before it.
//
// Ranges are always inside the text: an empty text, an empty last line and a caret at the very
// end make no negative or overrunning span.
#pragma once

#include "editor/textreplacement.h"

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringView>

#include <optional>

namespace corvane
{

class Defaults;

// Undo titles of the editing commands.
inline constexpr char kCommentAction[] = "Comment";
inline constexpr char kUnCommentAction[] = "unComment";
inline constexpr char kCommentBlockAction[] = "Comment Block";
inline constexpr char kShiftAction[] = "Shift";
inline constexpr char kInsertRealKindAction[] = "Insert Real Kind";
inline constexpr char kInsertTimeStampAction[] = "Insert Time Stamp";
inline constexpr char kUppercaseAction[] = "Make Upper Case";
inline constexpr char kLowercaseAction[] = "Make Lower Case";
inline constexpr char kCapitalizeAction[] = "Capitalize";

struct CommandResult {
    std::optional<TextReplacement> replacement; // none: nothing changes
    TextRange selection;                        // the selection afterwards, in the new text

    bool operator==(const CommandResult &) const = default;
};

// The lines a comment command works on: from the start of the selection's first line to the end
// of its last line without that line's terminator. A selection ending at the start of a line
// does not take that line; an empty selection takes the caret's line.
TextRange commentedSpan(QStringView text, TextRange selection);

// "!" before every line of the span ("C" in fixed form). The commented lines are selected.
CommandResult commentOutSelection(QStringView text, TextRange selection, bool fixedForm);
// Removes a comment mark at the start of every line of the span: "!" in free form; in fixed form
// "C" or "c" on the first line and "C" on the others. Marks after blanks stay.
CommandResult unCommentOutSelection(QStringView text, TextRange selection, bool fixedForm);
// Uncomments when every line of the span starts with a mark uncommenting removes, else comments.
CommandResult toggleCommentSelection(QStringView text, TextRange selection, bool fixedForm);

struct CommentBlockSettings {
    bool alignComments = true;         // "AligncommentsFlag"
    QString separator = QStringLiteral("-"); // "CommentSeparator": its first character
    qint64 separatorExtent = 1;        // "CommentSeparatorExtent": 1 = as wide as the longest line
    qint64 separatorLineWidth = 80;    // "CommentSeparatorLineWidth"

    static CommentBlockSettings fromDefaults(const Defaults &defaults);
};

// Turns the selection's whole lines into a framed comment block:
//   "    a = 1\n    b = 2\n" below an indented line  ->
//   "!\n!   ------\n!   a = 1\n!   b = 2\n!   ------\n!\n"  (the frame as wide as the longest line)
// An empty separator frames with "-"; a frame narrower than the comment prefix is widened to it.
CommandResult makeSelectionIntoACommentBlock(QStringView text, TextRange selection,
                                             const CommentBlockSettings &settings);

// Puts indentSize blanks before every line the selection touches, except comment lines ("!" in
// column 1; in fixed form also C, c and *). All the lines are selected afterwards.
CommandResult shiftLinesRight(QStringView text, TextRange selection, int indentSize,
                              bool fixedForm);
// Takes indentSize blanks from the start of every touched line that begins with that many. The
// selection runs from the first line's start to the selection's end as shifted.
CommandResult shiftLinesLeft(QStringView text, TextRange selection, int indentSize);

// The blanks of one indentation step: the setting, at least 1 (a setting of 0 or less would make
// Tab and shifting do nothing).
int indentSizeFromSetting(qint64 setting);

// Replaces the selection by text (the real-kind setting, a time stamp); the caret after it.
CommandResult insertRealKind(QStringView text, TextRange selection, const QString &realKind);
// The date and time in the locale's short date and short time formats.
QString timeStamp(const QDateTime &when, const QLocale &locale);
CommandResult insertDate(QStringView text, TextRange selection, const QDateTime &when,
                         const QLocale &locale);

enum class WordCase { Upper, Lower, Capitalize };
// The selection in upper or lower case, or with every word capitalised ("rEAL x_y" -> "Real
// X_y"); the selection stays. Nothing for an empty selection.
CommandResult changeWordCase(QStringView text, TextRange selection, WordCase mode);

// What Return inserts after the line feed: the leading blanks and tabs of the line just ended
// when it starts with a blank and indenting is on; nothing after a line starting with a tab.
QString newLineIndentation(QStringView lineBeforeCaret, bool indentLines);

} // namespace corvane
