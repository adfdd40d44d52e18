// corvane completion bash: the script parses, and its function completes commands, options,
// project and Fortran files and fixed words when bash calls it with COMP_WORDS and COMP_CWORD.
#include "support/testutil.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace corvane::test;

TEST(BashCompletion, ScriptParsesAndCompletes)
{
    QTemporaryDir dir;
    const auto script = runProgram(corvaneExecutable(), {"completion", "bash"});
    ASSERT_EQ(script.exitCode, 0) << script.err.toStdString();
    writeFile(dir.filePath("corvane.bash"), script.out);
    const auto syntax = runProgram("bash", {"-n", dir.filePath("corvane.bash")});
    EXPECT_EQ(syntax.exitCode, 0) << syntax.err.toStdString();

    for (const char *name : {"Heat.corvane", "src/heat.f90", "src/OLD.F", "src/notes.txt"})
        writeFile(dir.filePath(name), "");
    const struct Case {
        QStringList words; // the last one is being completed
        QStringList want;  // sorted
    } cases[] = {
        {{"bu"}, {"build"}},
        {{"com"}, {"complete", "completion"}},
        {{"He"}, {"Heat.corvane"}}, // a project to open in the IDE
        {{"--qu"}, {"--quiet"}},
        {{"--quiet", "ma"}, {"makefile"}},
        {{"build", ""}, {"Heat.corvane", "src"}},
        {{"build", "Heat.corvane", "--v"}, {"--verbose"}},
        {{"colour", "src/"}, {"src/OLD.F", "src/heat.f90"}},
        {{"add", "Heat.corvane", "src/heat.f90", "src/"}, {"src/OLD.F", "src/heat.f90"}},
        {{"run", "Heat.corvane", "--input", "src/n"}, {"src/notes.txt"}},
        {{"run", "Heat.corvane", "-np", ""}, {}},
        {{"structure", "b"}, {"bracket"}},
        {{"structure", "scope", "src/h"}, {"src/heat.f90"}},
        {{"complete", "Heat.corvane", "src/heat.f90", ""}, {}}, // LINE: nothing to offer
        {{"help", "imp"}, {"import-makefile"}},
        {{"completion", ""}, {"bash"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.words.join(' ').toStdString());
        QString words = "corvane";
        for (const QString &w : c.words)
            words += " '" + w + "'";
        const QString program = "source corvane.bash\nCOMP_WORDS=(" + words + ")\n" +
                                "COMP_CWORD=$(( ${#COMP_WORDS[@]} - 1 ))\n_corvane\n" +
                                "printf '%s\\n' \"${COMPREPLY[@]}\" | LC_ALL=C sort\n";
        const auto r = runProgram("bash", {"-c", program}, {}, dir.path());
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(QString::fromUtf8(r.out).split('\n', Qt::SkipEmptyParts), c.want);
    }
}
