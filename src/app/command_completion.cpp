// corvane completion bash: prints the bash completion script (commands, their options, project
// files for PROJECT arguments, Fortran files for FILE arguments).
#include "commandhelp.h"
#include "commands.h"
#include "project/mydocument.h"

#include <algorithm>

namespace corvane::app
{

namespace
{

int completionCommand(const QStringList &args)
{
    if (args.size() != 1 || args.first() != QLatin1String("bash")) {
        if (args.size() == 1 && !args.first().startsWith(u'-'))
            err() << "corvane completion: no completion for '" << args.first()
                  << "'; bash is the shell supported\n";
        err() << usageText("completion");
        return 2;
    }
    QStringList extensions = MyDocument().allowableExtensions().values();
    std::sort(extensions.begin(), extensions.end());
    out() << bashCompletionScript(extensions);
    return 0;
}

CORVANE_COMMAND({.name = "completion",
                 .purpose = "print the shell completion script (bash)",
                 .usage = "completion bash",
                 .run = completionCommand});

} // namespace

} // namespace corvane::app
