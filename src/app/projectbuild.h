// The Build command in the terminal, shared by `corvane build` and the build-first rule of
// `corvane run`: drives the window's BuildDriver with a terminal console and no questions.
#pragma once

#include <QString>

#include <optional>

namespace corvane
{
class MyDocument;
}

namespace corvane::app
{

struct BuildOptions {
    bool verbose = false;
    std::optional<bool> parallel; // unset: the "parallelBuild" setting
    std::optional<int> jobs;      // unset: the "parallelJobs" setting
    bool printDiagnostics = true; // the "file:line:col: error: text" summary on stdout
};

// Builds the document's current configuration and waits for `make`. Ctrl-C (or SIGTERM) ends
// make and its compilers and leaves no half-written object behind. True when the product was
// made.
bool buildProject(MyDocument &document, const BuildOptions &options);

} // namespace corvane::app
