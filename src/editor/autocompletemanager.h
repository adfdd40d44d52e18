// AutocompleteManager: the completion engine of one editor. It classifies the statement being
// typed and draws candidates from the Fortran word lists, the intrinsic lists and the project
// index that indexing publishes: the names visible in the caret's procedure or module, the
// project's procedures and modules, and the components and bindings of derived types, found
// through the USE statements of the project's modules.
//
// The engine holds the published snapshot it reads (a whole ProjectIndex and the displayed
// file's merged declarations) by shared ownership, so a re-index that publishes a new snapshot
// while a list is open leaves the old one alive until the engine lets go of it. Lookups are set
// and dictionary lookups; nothing is parsed beyond tokenizing the current line.
#pragma once

#include "editor/scoperecord.h"
#include "project/projectindex.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace corvane
{

class Defaults;
class FDerivedType;
class FFileDeclarations;
class FProgramUnit;
class FVariable;
class Vocabulary;

// The three completion settings, read when a completion is asked for.
struct CompletionSettings {
    bool keywords = true;   // "autoCompleteFortranKeywords"
    bool procedures = true; // "autoCompleteProcedures"
    bool intrinsics = true; // "autoCompleteFortranIntrinsics"

    bool anyOn() const { return keywords || procedures || intrinsics; }
    static CompletionSettings fromDefaults(const Defaults &defaults);
};

// The statement classes the engine tells apart.
enum StatementClassKind : int {
    OtherStatement = 0,        // fewer than two tokens, or a plain statement start
    UseModuleName = 1,         // use m
    ModuleProcedureWord = 2,   // module pro(cedure)
    ProgramUnitHeader = 3,     // subroutine fo: a new name, nothing to offer
    TypeNameInParentheses = 4, // type(my / class(my
    TypeAttributes = 5,        // type, ab(stract)
    CallName = 6,              // call pr
    DeclarationAttributes = 7, // integer, al(locatable)
    ComponentReference = 8,    // x%a
    TypeBoundCall = 9,         // call x%p
    InitialValue = 10,         // real :: x = si
    EndStatement = 11,         // end su
    Executable = 12,           // anything else
    ExternalName = 13,         // external f
    IfCondition = 14,          // if (ab
    ClassStart = 15,           // class: nothing yet
};

class AutocompleteManager
{
public:
    // The intrinsic lists in keyword form ("abs(a = !^)") or plain ("abs(!^)") for the engine's
    // whole life.
    AutocompleteManager(const Vocabulary &vocabulary, bool showArgumentLists);

    // --- published data (replaced whole, never modified) -----------------------------------
    void setProjectIndex(std::shared_ptr<const ProjectIndex> index);
    const std::shared_ptr<const ProjectIndex> &projectIndex() const { return m_index; }
    void setDeclarationsForDisplayedText(std::shared_ptr<const FFileDeclarations> declarations);
    const std::shared_ptr<const FFileDeclarations> &declarationsForDisplayedText() const
    {
        return m_displayed;
    }

    // --- candidates --------------------------------------------------------------------------
    // The candidates for partial (the text before the caret: a word, or "%") in the scope and
    // statement (the line up to the caret, trimmed). Each name once, in the list's order
    // (sortCandidates); none when nothing fits.
    std::optional<QStringList> completionsForString(const QString &partial,
                                                    const ScopeRecord &scope,
                                                    QStringView statement,
                                                    const CompletionSettings &settings) const;
    StatementClassKind classifyFortranStatement(QStringView statement) const;
    // The list after a bare "use ": every project module and the intrinsic modules (the project's
    // names may repeat an intrinsic one).
    QStringList moduleNamesForUse() const;

    // Appends every word that starts with partial, ignoring case; an empty partial adds nothing.
    // The candidates are gathered in a list and made unique once sorted: no hashing per name.
    static void addMatches(const QString &partial, const QStringList &words, QStringList &out);
    static void addMatches(const QString &partial, const QSet<QString> &words, QStringList &out);
    static void addMatches(const QString &partial, const NameSet &words, QStringList &out);

    // --- derived types, seen from the displayed file --------------------------------------------
    // The type of the reference the chain names (last component first, base variable last).
    std::shared_ptr<FDerivedType> derivedTypeForChain(const QStringList &chain,
                                                      const QString &procedure,
                                                      const QString &module) const;
    std::shared_ptr<FDerivedType> derivedTypeForVariableName(const QString &variable,
                                                             const QString &procedure,
                                                             const QString &module) const;
    std::shared_ptr<FDerivedType> typeNamed(const QString &type, const QString &procedure,
                                            const QString &module) const;
    // Depth first through the modules unit uses, each module visited once (USE cycles end).
    std::shared_ptr<FVariable> variableNamedInUsedModules(const QString &name,
                                                          const FProgramUnit &unit) const;
    std::shared_ptr<FDerivedType> typeNamedInUsedModules(const QString &name,
                                                         const FProgramUnit &unit) const;

    // The fixed tables.
    static const QStringList &declarationKeywords();
    static const QStringList &intrinsicModuleNames();
    static const QStringList &programUnits();
    static const QStringList &attrSpec();
    static const QStringList &endEndings();
    static const QStringList &expressionOperators();
    static const QStringList &typeAttrSpec();

private:
    // Adds the names visible under a symbols-index key that fit the class.
    void gatherDisplayedTextCompletions(const QString &partial, StatementClassKind kind,
                                        const QString &key, QStringList &out) const;
    void gatherDerivedTypeCompletions(const QString &partial, const FDerivedType *type,
                                      StatementClassKind kind, QStringList &out) const;
    const SymbolsIndex *symbolsIndex() const;
    std::shared_ptr<FProgramUnit> module(const QString &name) const;
    // The unit of procedure (the module itself when the caret is in a module's own part).
    std::shared_ptr<FProgramUnit> unitFor(const QString &procedure, const QString &module) const;
    std::shared_ptr<FVariable> componentNamed(const FDerivedType &type,
                                              const QString &name) const;

    QStringList m_keywords;
    QStringList m_intrinsicKinds;
    QStringList m_intrinsicFunctions;
    QStringList m_intrinsicSubroutines;
    bool m_showArgumentLists;
    std::shared_ptr<const ProjectIndex> m_index;
    std::shared_ptr<const FFileDeclarations> m_displayed;
};

} // namespace corvane
