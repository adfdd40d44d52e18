// The command line's own contract: version, help of every command, mistyped commands and
// options, missing project files and starting the window without a display.
#include "support/testutil.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace corvane::test;

namespace
{

// The command names corvane --help lists.
QStringList listedCommands()
{
    const ProgramResult help = runProgram(corvaneExecutable(), {"--help"});
    const QString text = QString::fromUtf8(help.out);
    const QString section = text.section("Commands:\n", 1).section("\n\n", 0, 0);
    QStringList names;
    for (const QString &line : section.split('\n', Qt::SkipEmptyParts))
        names << line.trimmed().section(' ', 0, 0);
    return names;
}

struct Finished {
    bool crashed = false;
    int exitCode = -1;
    QString err;
};

// Runs corvane with DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM removed, then set to extra.
Finished runWithoutDisplay(const QStringList &args, const QStringList &extra = {})
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(name);
    for (const QString &assignment : extra)
        env.insert(assignment.section('=', 0, 0), assignment.section('=', 1));
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(corvaneExecutable(), args);
    p.closeWriteChannel();
    if (!p.waitForFinished(20000)) {
        p.kill();
        p.waitForFinished();
        ADD_FAILURE() << "corvane did not end without a display";
    }
    return {p.exitStatus() == QProcess::CrashExit, p.exitCode(),
            QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

TEST(CommandLine, VersionAndOverview)
{
    const auto version = runProgram(corvaneExecutable(), {"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.out.startsWith("corvane ")) << version.out.toStdString();

    // Every command the documentation names has its line with a purpose.
    const QStringList listed = listedCommands();
    for (const char *name :
         {"new", "add", "show", "build", "clean", "run", "makefile", "import-makefile",
          "diagnostics", "index", "lookup", "colour", "structure", "complete", "find", "definition",
          "info", "help", "completion"})
        EXPECT_TRUE(listed.contains(name)) << name;
    const QString overview = QString::fromUtf8(runProgram(corvaneExecutable(), {"-h"}).out);
    for (const QString &name : listed)
        EXPECT_TRUE(overview.contains(
            QRegularExpression("\n  " + QRegularExpression::escape(name) + " +\\S")))
            << name.toStdString() << " has no purpose line";
}

// help CMD and CMD --help print the same usage and options, for every command; the options the
// usage names are the ones listed, so the table cannot drift from the synopsis.
TEST(CommandLine, HelpOfEveryCommand)
{
    const QStringList listed = listedCommands();
    ASSERT_GT(listed.size(), 10);
    for (const QString &name : listed) {
        SCOPED_TRACE(name.toStdString());
        const auto viaHelp = runProgram(corvaneExecutable(), {"help", name});
        const auto viaFlag = runProgram(corvaneExecutable(), {name, "--help"});
        EXPECT_EQ(viaHelp.exitCode, 0);
        EXPECT_EQ(viaFlag.exitCode, 0);
        EXPECT_EQ(viaHelp.out, viaFlag.out);
        const QString text = QString::fromUtf8(viaHelp.out);
        EXPECT_TRUE(text.startsWith("corvane " + name + ": ")) << text.toStdString();
        EXPECT_TRUE(text.contains("usage: corvane " + name)) << text.toStdString();

        const QString usage = text.section("usage:", 1).section("\n\n", 0, 0);
        const QString options = text.section("Options:\n", 1);
        QSet<QString> inUsage, inOptions;
        static const QRegularExpression flag("(?<![\\w%-])(--?[A-Za-z][a-z-]*)");
        for (auto it = flag.globalMatch(usage); it.hasNext();)
            inUsage.insert(it.next().captured(1));
        for (const QString &line : options.split('\n', Qt::SkipEmptyParts))
            inOptions.insert(flag.match(line.trimmed()).captured(1));
        EXPECT_EQ(inUsage, inOptions);
    }
    // An option that takes a value may end the arguments.
    const auto lastValue = runProgram(corvaneExecutable(), {"lookup", "missing.corvane", "--file"});
    EXPECT_EQ(lastValue.exitCode, 2);
    // A value that looks like --help is the option's value, not a request for help.
    const auto value =
        runProgram(corvaneExecutable(), {"run", "missing.corvane", "--args", "--help"});
    EXPECT_EQ(value.exitCode, 1);
    EXPECT_TRUE(value.out.isEmpty()) << value.out.toStdString();
}

TEST(CommandLine, MistypedCommandsOptionsAndMissingProjects)
{
    QTemporaryDir dir;
    const struct Case {
        QStringList args;
        int exitCode;
        QString err;     // contained in stderr
        bool showsUsage; // the usage line follows
    } cases[] = {
        {{"buidl", "P.corvane"},
         2,
         "corvane: unknown command 'buidl'. Did you mean 'build'?\n",
         true},
        {{"colr", "geo.f90"}, 2, "unknown command 'colr'. Did you mean 'colour'?", true},
        {{"Biuld"}, 2, "Did you mean 'build'?", true},
        {{"xyzzy"}, 2, "corvane: unknown command 'xyzzy'\n", true},
        {{"--frobnicate"}, 2, "corvane: unknown option '--frobnicate'\n", true},
        {{"--verison"}, 2, "unknown option '--verison'. Did you mean '--version'?", true},
        {{"help", "makefil"}, 2, "unknown command 'makefil'. Did you mean 'makefile'?", false},
        {{"completion", "zsh"}, 2, "bash is the shell supported", false},
        {{"missing.corvane"}, 1, "corvane: no such project file: missing.corvane\n", false},
        {{"sub/Missing"}, 1, "no such project file: sub/Missing", false},
        {{"build", "missing.corvane"}, 1, "missing.corvane", false},
        {{"show", "missing.corvane"}, 1, "missing.corvane", false},
        {{"build", "a.corvane", "--frob"}, 2, "unexpected argument \"--frob\"", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const auto r = runProgram(corvaneExecutable(), c.args, {}, dir.path(), 20000);
        EXPECT_EQ(r.exitCode, c.exitCode);
        const QString err = QString::fromUtf8(r.err);
        EXPECT_TRUE(err.contains(c.err)) << err.toStdString();
        EXPECT_EQ(err.contains("usage: corvane [PROJECT...]"), c.showsUsage) << err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    }
    // "xyzzy" is far from every command: no guess.
    EXPECT_FALSE(runProgram(corvaneExecutable(), {"xyzzy"}).err.contains("Did you mean"));
}

// Without a display the window is not attempted: a message and status 1, never an abort. A
// display that names no server ends the same way once the platform plug-in fails to connect.
TEST(CommandLine, NoDisplayIsToldNotAborted)
{
    QTemporaryDir dir;
    const QString project = dir.filePath("P.corvane");
    ASSERT_EQ(runProgram(corvaneExecutable(), {"new", project}).exitCode, 0);
    const QString message = "corvane: no display to open the window on; the subcommands work "
                            "without one (corvane --help)\n";
    const struct Case {
        const char *name;
        QStringList args;
        QStringList env;
    } cases[] = {
        {"no arguments", {}, {}},
        {"a project", {project}, {}},
        {"the standalone editor", {"--edit", project}, {}},
        {"an X display without a server", {project}, {"DISPLAY=:987"}},
        {"xcb chosen without a display", {}, {"QT_QPA_PLATFORM=xcb"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const Finished r = runWithoutDisplay(c.args, c.env);
        EXPECT_FALSE(r.crashed);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, message);
    }
    // The commands need no display.
    const Finished show = runWithoutDisplay({"show", project});
    EXPECT_FALSE(show.crashed);
    EXPECT_EQ(show.exitCode, 0) << show.err.toStdString();
}
