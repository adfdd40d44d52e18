// JumpList: the state behind the editor's jump-list pop-up: the entries ("Top", the units and
// marks, "End"), the selected one, whether the list must be rebuilt, and how it follows the
// caret. The widget only shows items(): module entries bold, marks as separators.
#pragma once

#include "structurescanner.h"

#include <QStringList>

namespace corvane
{

struct JumpListItem {
    QString title;
    bool bold = false;      // a module entry
    bool separator = false; // a mark

    bool operator==(const JumpListItem &) const = default;
};

class JumpList
{
public:
    // Texts with more lines than this keep their list when the pop-up opens, unless flagged.
    static constexpr qsizetype kLargeTextLines = 2499;

    JumpList();

    const QStringList &entries() const { return m_entries; }
    qsizetype selectedIndex() const { return m_selected; }
    QString selectedTitle() const;
    void select(qsizetype index);

    bool needsUpdating() const { return m_needsUpdating; }
    void setNeedsUpdating(bool flag) { m_needsUpdating = flag; }

    // Builds the list from the text (a file was shown); the selection stays on the same title
    // when it is still listed, else goes to "Top".
    void rebuild(QStringView text, const StructureScanner &scanner);
    // The pop-up is about to open: rebuild unless the list is not flagged and the text is large.
    void prepareForPopUp(QStringView text, const StructureScanner &scanner);
    // Keeps the selection on the caret's unit, patching the list when the unit is not in it:
    // while its name is being typed it replaces the selected entry, otherwise it is inserted
    // after it. "Top" and "End" are never replaced.
    void synchronize(const QString &unit);

    QList<JumpListItem> items() const;

    // The scope record's "procedure": the last blank-separated word of the selected title.
    QString selectedProcedure() const;
    // The scope record's "module": the name of the nearest module entry at or above the selected
    // one, or a null string.
    QString moduleOfSelection() const;

private:
    QStringList m_entries;
    qsizetype m_selected = 0;
    bool m_needsUpdating = true;
};

} // namespace corvane
