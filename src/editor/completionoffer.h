// CompletionOffer: what the editor's completion list shows for a caret and what closing it
// puts into the text, as plain functions of the text, so the list widget, the command line and
// the tests share one logic.
//
// The partial word is the run of name characters (letters, digits, "_") before the caret. An
// automatic list needs two of them, or follows "%" (a component), or a bare "use " (module
// names). An explicit list offers the names of the code templates that contain the partial.
#pragma once

#include "editor/autocompletemanager.h"

#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <optional>

namespace corvane
{

// How the list was closed.
enum class CompletionMovement {
    Other = 0,   // a typed character, Esc, or focus going elsewhere
    Return = 16,
    Tab = 17,
    Click = 1,   // a mouse click outside the list
};

struct CompletionOffer {
    bool isExplicit = false;
    // The range an accepted candidate replaces. Right after "%" it is empty at the caret, so the
    // "%" stays.
    qsizetype start = 0;
    qsizetype length = 0;
    QString userString; // the partial the candidates were computed for ("%" after a "%")
    bool isDerivedTypeCompletion = false;
    QStringList candidates;            // sorted ignoring case
    qsizetype numberOfCommonChars = 0; // the candidates' common prefix length
    QVariantMap templates;             // explicit lists: the templates offered
};

// What closing the list does to the text: the offer's range gets text (nothing changes when
// replace is false); then select is selected when given; reopen asks for the list again soon.
struct CompletionClose {
    bool replace = false;
    QString text;
    std::optional<std::pair<qsizetype, qsizetype>> select; // start, length in the new text
    std::optional<qsizetype> caret;                        // caret position in the new text
    bool reopen = false;
    bool isTemplate = false; // a template went in (recolour it; the edit counts as a paste)
};

// The start of the name characters that end at caret.
qsizetype partialWordStart(QStringView text, qsizetype caret);
// The line of range's start up to the range's end, trimmed of blanks and tabs.
QString statementForCharRange(QStringView text, qsizetype start, qsizetype length);
// The template names that contain partial, ignoring case (none for an empty partial).
QStringList templateCompletions(const QString &partial, const QVariantMap &templates);
// The length of the candidates' common prefix (ignoring case), at least n.
qsizetype commonLength(const QStringList &candidates, qsizetype n);
// The text that replaces the offer's range for a component candidate w.
QString completionStringForDerivedType(const QString &w, const QString &userString);
void sortCandidates(QStringList &candidates);

// The list for a caret in text (no selection), or none when no list opens. scope is the
// caret's scope record.
std::optional<CompletionOffer> completionOffer(QStringView text, qsizetype caret, bool isExplicit,
                                               const AutocompleteManager &engine,
                                               const ScopeRecord &scope,
                                               const CompletionSettings &settings,
                                               const QVariantMap &templates);

// The candidate's text as browsing shows it in the offer's range.
QString tentativeText(const CompletionOffer &offer, const QString &candidate);

// Closing the list on candidate. text is the editor text with the offer's range holding
// rangeText (the user's partial, or what browsing put there).
CompletionClose closeCompletion(const CompletionOffer &offer, const QString &candidate,
                                CompletionMovement movement, QStringView text,
                                const QVariantMap &templates);

// The scope record for a caret in text, as the editor makes it (jump list on the caret's unit).
ScopeRecord scopeAtCaret(QStringView text, qsizetype caret, bool fixedForm);

} // namespace corvane
