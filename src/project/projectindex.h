// ProjectIndex: one immutable snapshot of the project-wide declarations: the modules and global
// procedures dictionaries, the symbols index, the completion name sets, each file's merged
// declarations and the dependants found. A merge builds a new snapshot on a worker thread from
// private copies of the records it changes; once published nothing in it is written again, so the
// GUI thread reads it without locks.
#pragma once

#include "analysis/declarationsearch.h"
#include "analysis/ffiledeclarations.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <memory>
#include <optional>

namespace corvane
{

using NameSet = std::optional<QSet<QString>>;

class ProjectIndex
{
public:
    ModulesDictionary projectModulesDictionary;          // lower-cased name -> module
    ModulesDictionary projectGlobalProceduresDictionary; // lower-cased name -> external unit
    std::optional<SymbolsIndex> projectSymbolsIndex;
    // Path -> the file's declarations as merged (linked parent types and hosts, symbols).
    QHash<QString, std::shared_ptr<const FFileDeclarations>> fileDeclarations;
    // Path of a defining file -> paths of the project files that use its modules, each once;
    // publishing the snapshot hands them over to the files' records. Lists, not sets: a project
    // has as many of them as USE edges between files, and a set costs three times the room.
    QHash<QString, QStringList> dependants;
    NameSet moduleNames;
    NameSet subroutineNames; // completion entries of the global subroutines
    NameSet functionNames;
    QString errorMessage; // circular use, or null
    int filesParsed = 0;

    struct Counts {
        qsizetype files = 0, modules = 0, globalProcedures = 0, moduleProcedures = 0, types = 0,
                  variables = 0;
    };
    // Types and variables of modules, module procedures and global procedures.
    Counts counts() const;
    // The merged declarations of path, or null.
    std::shared_ptr<const FFileDeclarations> declarationsForFile(const QString &path) const;
};

// The inputs of one merge, in project order: each file's freshly parsed or previous declarations
// (null for a file never parsed). The records are only read.
struct MergeInput {
    QString path;
    std::shared_ptr<const FFileDeclarations> declarations;
    // Nothing else reads these declarations yet (they were parsed for this merge), so the merge
    // may link them in place instead of working on copies.
    bool exclusive = false;
};

// Merges the files into a new snapshot: copies of the program units and types (the exclusive
// inputs themselves), circular use reported, parent types linked, dependants recorded, symbols
// index and name sets built.
std::shared_ptr<ProjectIndex> gatherProjectDeclarations(const QList<MergeInput> &files,
                                                        bool showArgumentLists);

// Copies the units and types of declarations that a merge writes (use chains, parent types,
// symbols); variables and deeper internal procedures are shared.
std::shared_ptr<FFileDeclarations> cloneForMerge(const FFileDeclarations &declarations);

// Reports the circular USE chains among the modules in errorMessage (null when there is none).
// The module records keep their USE lists as written: a module's resolved chain is worked out
// when it is asked for (resolvedUseChain), as every module holding its transitive list would
// grow with the project's modules times their use depth.
void cleanUpUseChains(const ModulesDictionary &modules, QString &errorMessage);
// The names of the project modules that the named module depends on, directly or indirectly,
// deepest first; none when it depends on no project module or sits in a circular chain.
std::optional<QStringList> resolvedUseChain(const ModulesDictionary &modules, const QString &name);
// Gives each submodule of file its ancestor module as host (definingProgramUnit) and completes
// its separate module procedures from the interfaces the ancestor declares. file is a merge's
// own copy.
void linkSubmodules(const FFileDeclarations &file, const ModulesDictionary &modules);
// Links every type's superclassType to the last project module type of its parent's name;
// a link that would close a cycle of parents is left out.
void setSuperclasses(const ModulesDictionary &modules, const ModulesDictionary &globals);
NameSet projectModuleNames(const ModulesDictionary &modules);
NameSet projectProcedureNamesOfType(const ModulesDictionary &globals, unsigned unitType,
                                    bool showArgumentLists);

inline const QString kCircularReferencesInfo =
    QStringLiteral("Indexing is not available for modules with circular references.");

} // namespace corvane
