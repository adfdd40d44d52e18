// DefinitionLookup: the text side of the two lookup commands. The word at the cursor, the search
// texts of jump to definition ("call solve" looks for "subroutine solve", "use physics" for
// "module physics", anything else for "function NAME"), the jump itself over a definition search
// handed in by the caller, and the scope a declaration-information request describes.
#pragma once

#include "editor/scoperecord.h"
#include "project/findresult.h"
#include "project/projectlookup.h"
#include "project/textrange.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <optional>

namespace corvane
{

namespace DefinitionText
{
inline constexpr char kNotFound[] = "A program unit for %1 could not be found";
inline constexpr char kSeeFindPanel[] = "See the find panel for all instances of the string";
} // namespace DefinitionText

// The maximal run of letters, digits and "_" around position (a position between two characters
// touches both); none when neither neighbour is such a character. "y=f(x)" with the position
// in or just after f gives f.
std::optional<TextRange> wordRangeAtPosition(QStringView text, qsizetype position);

// The range a lookup works on: a non-empty selection as it is (clamped to the text), else the
// word at the caret; none when the caret touches no word.
std::optional<TextRange> lookupRange(QStringView text, TextRange selection);

// The definition search texts for word as it stands in the line that holds it: first the
// unit's own header ("subroutine W", "module W" or "function W"), then "interface W". None
// when the word is the first word of the line (or the line has no word before it).
std::optional<QStringList> definitionSearchTexts(QStringView lineText, const QString &word);

// What jump to definition does for one request.
struct DefinitionJump {
    enum Kind {
        Nothing,  // no word at the caret
        Beep,     // the word is first on its line
        NotFound, // no search text was found: the find panel and the alert
        Found,    // location holds the defining line
    };
    Kind kind = Nothing;
    TextRange wordRange; // the word looked up (to be selected), for every kind but Nothing
    QString word;
    FindResult location;
};

// The definition search: a search text -> the first defining line, or none.
using DefinitionSearch = std::function<std::optional<FindResult>(const QString &)>;

DefinitionJump jumpToDefinition(QStringView text, TextRange selection,
                                const DefinitionSearch &search);

// The scope record of a range of text, with the jump list following the range's start (what the
// editor's own record says when that range is selected).
ScopeRecord scopeForRange(QStringView text, TextRange range, bool fixedForm);

// The scope a declaration-information request passes to lookupDeclarationInfo: the record's
// procedure, module and component chain (the selected name alone when it has no chain).
LookupScope lookupScopeFor(const ScopeRecord &record);

} // namespace corvane
