// BracketMatcher: pairs parentheses and square brackets within a bounded window (no parsing:
// brackets in strings and comments count too), the selection a double click on a bracket makes,
// and the replacement that closes a bracket as it is typed.
#pragma once

#include "textreplacement.h"

#include <QStringView>

namespace corvane
{

struct BracketMatch {
    enum Kind { NotABracket, NoMatch, Match };
    Kind kind = NotABracket;
    TextRange range; // from the opening to the closing bracket, both included

    bool operator==(const BracketMatch &) const = default;
};

class BracketMatcher
{
public:
    // The walk looks at no more characters than this, the bracket itself included.
    static constexpr qsizetype kWindow = 1188;

    // Matches bracket, standing at location, backwards for ")" and "]", forwards for "(" and "[".
    // NoMatch (the caller beeps) when the partner is not within the window; NotABracket for any
    // other character.
    static BracketMatch rangeOfMatchingParenthesis(QChar bracket, QStringView text,
                                                   qsizetype location);
    // The bracket at location of text.
    static BracketMatch matchAt(QStringView text, qsizetype location);
    // A double click proposing one character: a bracket's matched range, else the proposal.
    static TextRange doubleClickSelection(QStringView text, TextRange proposed);
    // The replacement closing an opened bracket at the caret: closing alone just after a
    // completion list was dismissed (autoCompleteState 2), else the text the opening bracket
    // replaced followed by closing, so that a bracket typed over a selection wraps it.
    static TextReplacement completeParenthesis(QChar closing, TextRange caret,
                                               const QString &savedSelection,
                                               int autoCompleteState);
    // ")" for "(", "]" for "[", else a null character.
    static QChar closingPartner(QChar opening);
};

} // namespace corvane
