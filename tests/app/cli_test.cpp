// The command line's own contract: version, help, and unknown or not-yet-available commands.
#include "support/testutil.h"

#include <gtest/gtest.h>

using namespace corvane::test;

TEST(CommandLine, VersionHelpAndUnknownCommands)
{
    const auto version = runProgram(corvaneExecutable(), {"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.out.startsWith("corvane ")) << version.out.toStdString();

    const auto help = runProgram(corvaneExecutable(), {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("Usage: corvane")) << help.out.toStdString();

    const auto unknown = runProgram(corvaneExecutable(), {"--frobnicate"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.err.contains("unknown option")) << unknown.err.toStdString();
}
