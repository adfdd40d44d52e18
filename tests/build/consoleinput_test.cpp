// Typed input from the console's input mark, and the command line's console streams.
#include "build/consoleinput.h"
#include "build/interactiveconsolecontroller.h"
#include "build/terminalconsole.h"
#include "faketool.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryFile>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

TEST(ConsoleInput, SendsTheTextTypedSinceTheMark)
{
    RecordingConsole console;
    InteractiveConsoleController runner(&console);
    ConsoleInput input(&runner);
    const QString prompt = "Enter n:\n";
    // No program runs: nothing is sent.
    input.markCursorLocation(prompt.size());
    EXPECT_EQ(input.insertNewline(prompt + "5\n", prompt.size() + 2), QByteArray());

    const QFileInfo tool(fakeTool());
    runner.pathToExecutable = tool.absolutePath() + "/";
    runner.nameOfExecutable = tool.fileName();
    ASSERT_TRUE(
        runner.executeWithData(std::nullopt, QStringList{"echo"}, true, "ExecuteOperation"));
    struct Case {
        const char *name;
        QString text;
        qsizetype mark, caret;
        QByteArray sent;
    };
    const Case cases[] = {
        {"a typed line", prompt + "5\n", prompt.size(), prompt.size() + 2, "5\n"},
        {"non-ASCII", prompt + "\u00e9t\u00e9\n", prompt.size(), prompt.size() + 4,
         "\xc3\xa9t\xc3\xa9\n"},
        {"caret before the mark", prompt + "\n7\n", prompt.size(), 3, "\n7\n"},
        {"mark past a cleared console", "8\n", 500, 2, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        input.markCursorLocation(c.mark);
        EXPECT_EQ(input.insertNewline(c.text, c.caret), c.sent);
    }
    runner.sendDataToExecutable("end\n");
    ASSERT_TRUE(waitFor([&] { return !runner.isRunningExecutable(); }));
    EXPECT_EQ(console.text(Console::Role::Normal),
              "got: [5]\ngot: [\u00e9t\u00e9]\ngot: []\ngot: [7]\necho done\n");

    // Started with input bytes: typed input is not accepted.
    ASSERT_TRUE(runner.executeWithData(QByteArray("end\n"), QStringList{"echo"}, true, "x"));
    EXPECT_EQ(input.insertNewline("9\n", 2), QByteArray());
    runner.killExecute();
}

TEST(TerminalConsole, RolesGoToTheirStreamsColouredOnlyWhenAsked)
{
    for (const bool colour : {false, true}) {
        SCOPED_TRACE(colour);
        QTemporaryFile outFile, errFile;
        ASSERT_TRUE(outFile.open());
        ASSERT_TRUE(errFile.open());
        FILE *out = fdopen(dup(outFile.handle()), "w");
        FILE *err = fdopen(dup(errFile.handle()), "w");
        {
            TerminalConsole console(out, err, colour, colour);
            console.append("plain\n", Console::Role::Normal);
            console.append("Corvane: note\n", Console::Role::Info);
            console.append("bad\n", Console::Role::Error);
            console.clear();
            console.append("more\n", Console::Role::None);
        }
        fclose(out);
        fclose(err);
        outFile.seek(0);
        errFile.seek(0);
        if (colour) {
            EXPECT_EQ(outFile.readAll(), "plain\n\x1b[34mCorvane: note\n\x1b[0mmore\n");
            EXPECT_EQ(errFile.readAll(), "\x1b[31mbad\n\x1b[0m");
        } else {
            EXPECT_EQ(outFile.readAll(), "plain\nCorvane: note\nmore\n");
            EXPECT_EQ(errFile.readAll(), "bad\n");
        }
    }
}
