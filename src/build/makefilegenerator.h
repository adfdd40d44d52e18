// MakefileGenerator: finds, by a light line scan of the project's sources, which modules each
// file uses and which file defines each module, and writes the project's Makefile from that.
// Created per build from the project document; keeps no state between calls.
#pragma once

#include "analysis/fpreprocessor.h"
#include "build/linescanner.h"
#include "settings/orderedmap.h"
#include "settings/result.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

namespace corvane
{

class MyDocument;

// What one source needs before it can be compiled.
struct FileDependencies {
    QStringList modules;      // used module names as written, each once, in the order found
    QStringList includeFiles; // include files it reads, directly or nested, each once
};

// Lower-cased path of a non-include file -> its dependencies.
using DependenciesMap = OrderedMap<FileDependencies>;
// Lower-cased module name -> path (as listed) of the file that defines it.
using ModuleFilesMap = OrderedMap<QString>;

// The project settings the scan and the Makefile read; a null string means "none".
struct MakefileSettings {
    QString compilerFlags;
    QString linkerFlags;
    QString includeFlags;
    QSet<QString> includeExtensions{QStringLiteral("inc"), QStringLiteral("hpp"),
                                    QStringLiteral("h")};
    bool compileForLibrary = false;
    QString executableName;
    QString libraryName;
    QString docDirectoryPath;
    QString buildDirectoryPath;
    // The compiler, for the macros it predefines when the scan preprocesses a file.
    QString compilerPath;
    // Readers of a module depend on its module file (or a stamp of it), not on the defining
    // object, so that a compile that leaves the module's interface as it was rebuilds none of
    // them. Off: every reader depends on the defining object.
    bool moduleAwareRebuilds = false;
};

// How a module-aware Makefile learns that a module's interface changed.
enum class ModuleFileScheme {
    // The compiler leaves an unchanged module file untouched: readers depend on NAME.mod.
    ModuleFile,
    // The compiler may rewrite it every time: after each compile NAME.mod is compared with its
    // last copy NAME.mod.stamp, which is replaced (and so newer) only when the content changed.
    Stamp,
};

class MakefileGenerator
{
public:
    explicit MakefileGenerator(MakefileSettings settings);
    // Reads the active configuration's settings from the document.
    static MakefileGenerator initWithDocument(const MyDocument &document);
    static MakefileSettings settingsOfDocument(const MyDocument &document);

    const MakefileSettings &settings() const { return m_settings; }
    // Modules of the compiler or system, never looked for in the project.
    const QSet<QString> &libraryModules() const { return m_libraryModules; }
    // True when the path's extension, lower-cased, is one of the include extensions.
    bool isIncludeFile(const QString &path) const;

    // One entry per non-include path; each file is read once however often it is included.
    DependenciesMap dependenciesForFiles(const QStringList &paths) const;
    FileDependencies dependenciesForFileAndItsIncludes(const QString &path) const;
    // MODULE lines of the non-include files; a later file defining a name wins.
    ModuleFilesMap filesForModuleNames(const QStringList &paths) const;
    // Both of the above from one read of each file.
    struct ProjectScan {
        DependenciesMap dependencies;
        ModuleFilesMap moduleFiles;
    };
    ProjectScan scanProject(const QStringList &paths) const;
    static std::optional<QStringList> tokensFromLineWithKeyword(QStringView keyword,
                                                                LineScanner &scanner);
    // The include file named in usedInFile: beside it, else in the include-flag directories.
    std::optional<QString> pathOfIncludefile(const QString &name, const QString &usedInFile) const;

    // "/w/My Solver.f90" -> "MySolver.o". Characters make or the shell would act on become "_".
    static QString objectFileNameForPath(const QString &path);
    // The Makefile text; an error naming the file when a path cannot be written into a rule.
    Result<QString> makefileForFiles(const QStringList &paths, const DependenciesMap &dependencies,
                                     const ModuleFilesMap &moduleFiles,
                                     const QString &compiler) const;
    // gfortran keeps a module file whose content did not change; for every other compiler (and
    // the MPI and coarray wrappers, whose compiler is not known) the stamp is used.
    static ModuleFileScheme moduleFileSchemeFor(const QString &compiler);
    // One warning line per object file name that several sources compile to.
    QStringList objectNameCollisions(const QStringList &paths) const;

private:
    struct DirectScan;
    class ScanCache;
    FileDependencies collectDependencies(const QString &path, ScanCache &cache) const;
    DirectScan scanFile(const QString &path, QString text) const;
    void addModulesOf(const QString &path, const QString &text, ModuleFilesMap &map) const;

    MakefileSettings m_settings;
    QSet<QString> m_libraryModules;
    FPreprocessor::Options m_preprocessor;
};

} // namespace corvane
