// ScopeRecord: the selection's place in the code, for completion and declaration lookup: the
// selected text, the procedure and module of the jump list's selected entry, and the chain of
// names of a component reference ("a%b%c" -> c, b, a).
#pragma once

#include "jumplist.h"
#include "project/textrange.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace corvane
{

struct ScopeRecord {
    QString name;                             // the selected text; empty without a selection
    QString procedure;                        // last word of the selected jump-list title
    std::optional<QString> module;            // absent outside a module
    std::optional<QStringList> variableChain; // absent when no name is there
    bool derivedTypeComponent = false;        // the caret follows "%" or "%name"

    bool operator==(const ScopeRecord &) const = default;

    // The record for the selection of text, with the jump list already following the caret.
    static ScopeRecord scope(QStringView text, TextRange selection, const JumpList &jumpList);
    // The chain part alone, from the text of the selection's line up to the selection's end.
    static void findVariableChain(QStringView lineText, const QString &name, ScopeRecord &record);
};

} // namespace corvane
