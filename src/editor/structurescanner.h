// StructureScanner: the coarse structure of a Fortran text, found line by line with plain string
// tests and never by parsing: program-unit lines and block lines, the jump list of the file's
// units and marks, the unit that holds a position, and where a jump-list entry lies in the text.
// Texts end their lines with "\n" (as loading leaves them).
#pragma once

#include "project/textrange.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace corvane
{

// A unit or block line: the keyword lower case, the name as written.
struct UnitLine {
    QString keyword;
    QString name;

    QString entry() const { return keyword + u' ' + name; }
    bool operator==(const UnitLine &) const = default;
};

// One jump-list entry and the 1-based line it was read from (0 for "Top" and "End").
struct JumpListEntry {
    QString text;
    qsizetype line = 0;
    bool isMark = false;

    bool operator==(const JumpListEntry &) const = default;
};

class StructureScanner
{
public:
    static constexpr char Top[] = "Top";
    static constexpr char End[] = "End";
    // A line holding this text is a mark: a separator in the jump list.
    static constexpr char MarkText[] = "!@mark -";

    explicit StructureScanner(bool fixedForm = false) : m_fixedForm(fixedForm) {}
    bool fixedForm() const { return m_fixedForm; }
    void setFixedForm(bool fixedForm) { m_fixedForm = fixedForm; }

    // The maximal runs of letters, digits, "_", "!", "'" and '"', in order.
    static QList<QStringView> allWordsInString(QStringView line);
    // "recursive subroutine walk(n)" -> (subroutine, walk); "Real Function F(x)" -> (function, F);
    // none for a comment line, a "module procedure" statement or any other statement.
    static std::optional<UnitLine> programUnitLine(QStringView line);
    // The block a line opens, for completing its end line: a procedure keyword and the word after
    // it, "type" and the last word, or "interface" and the generic specification as written
    // ("interface operator(+)" -> operator(+)). None for an end line. Pass the line without its
    // comment.
    static std::optional<UnitLine> blockLine(QStringView line);

    // "Top", the units outside interface blocks and the marks in text order, then "End".
    QList<JumpListEntry> constructJumpList(QStringView text) const;
    static QStringList titles(const QList<JumpListEntry> &entries);
    // The entry of the unit whose header is the nearest one at or above location's line, outside
    // interface blocks; "Top" above the first. None for an empty text.
    std::optional<QString> currentProgramUnit(QStringView text, qsizetype location) const;
    // The range that choosing an entry selects: "Top" and "End" the empty ranges at the text's
    // start and end; a unit entry its header's keyword and name. None when nothing matches.
    std::optional<TextRange> jump(QStringView text, QStringView entry) const;

    // Whether location lies in a comment of its line: a fixed-form line with "C", "c" or "*" in
    // column 1, or at or after the line's first "!" (quotes are not considered).
    bool isWithinComment(QStringView text, qsizetype location) const;
    // A fixed-form line whose column 1 makes it a comment.
    bool isFixedFormCommentLine(QStringView line) const;

    // The part of a line the jump list reads: a comment line whole, any other line up to its first
    // "!", trimmed.
    static QStringView jumpListLineText(QStringView line);
    // The part of a line before its first "!".
    static QStringView codePart(QStringView line);
    // Interface nesting: -1 for "end interface" (also "endinterface"), +1 for "interface" or
    // "abstract interface", 0 otherwise; the line is trimmed.
    static int interfaceDepthChange(QStringView trimmedLine);

private:
    bool m_fixedForm;
};

} // namespace corvane
