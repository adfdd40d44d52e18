// The child environment, `which`, the stored-compiler-path helpers and the count of a process
// group.
#include "build/unix.h"
#include "support/testutil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace corvane;

TEST(Unix, EnvironmentDictionaryAppliesUserVariablesAndSearchPath)
{
    struct Case {
        const char *name;
        QVariantMap user;
        QString inheritedPath;
        QString wantPath;
    };
    const Case cases[] = {
        {"no user path", {}, "/usr/bin:/bin", "/usr/bin:/bin:/usr/local/bin:/opt/local/bin"},
        {"user path goes first",
         {{"PATH", "/opt/mpi/bin"}},
         "/usr/bin",
         "/opt/mpi/bin:/usr/bin:/usr/local/bin:/opt/local/bin"},
        // (we had this fault) an empty inherited PATH left "::", which searches the current folder.
        {"empty inherited path", {{"PATH", "/x"}}, "", "/x:/usr/local/bin:/opt/local/bin"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QProcessEnvironment base;
        base.insert("PATH", c.inheritedPath);
        base.insert("HOME", "/home/me");
        base.insert("G95_UNBUFFERED_6", "false");
        QVariantMap user = c.user;
        user.insert("OMPI_ALLOW_RUN_AS_ROOT", "1");
        user.insert("HOME", "/elsewhere");
        const QProcessEnvironment env = Unix::environmentDictionary(user, base);
        EXPECT_EQ(env.value("PATH"), c.wantPath);
        EXPECT_EQ(env.value("HOME"), "/elsewhere");
        EXPECT_EQ(env.value("OMPI_ALLOW_RUN_AS_ROOT"), "1");
        EXPECT_EQ(env.value("NSUnbufferedIO"), "YES");
        EXPECT_EQ(env.value("G95_UNBUFFERED_6"), "true");
    }
}

TEST(Unix, WhichAnswersTheWholeOutputOrNone)
{
    QTemporaryDir dir;
    const QString toolDir = dir.filePath("my tools");
    corvane::test::writeFile(toolDir + "/frobtool", "#!/bin/sh\nexit 0\n");
    QFile(toolDir + "/frobtool").setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    QProcessEnvironment env;
    env.insert("PATH", toolDir + ":/usr/bin:/bin");

    EXPECT_EQ(Unix::which("frobtool", env), toolDir + "/frobtool\n");
    EXPECT_EQ(Unix::which("no-such-program-corvane", env), std::nullopt);
    const auto sh = Unix::which("sh", env);
    ASSERT_TRUE(sh.has_value());
    EXPECT_TRUE(sh->endsWith("/sh\n")) << sh->toStdString();
}

TEST(Unix, StoredCompilerPathsBecomePrograms)
{
    struct Case {
        QString stored, program, directory;
    };
    const Case cases[] = {
        {"/usr/bin/gfortran\n", "/usr/bin/gfortran", "/usr/bin/"},
        {"/opt/my\\ tools/bin/gfortran\n", "/opt/my tools/bin/gfortran", "/opt/my tools/bin/"},
        {"/usr/bin/mpirun", "/usr/bin/mpirun", "/usr/bin/"},
        {"gfortran-mp-12", "gfortran-mp-12", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stored.toStdString());
        EXPECT_EQ(Unix::programForCompilerPath(c.stored), c.program);
        EXPECT_EQ(Unix::directoryOf(c.stored), c.directory);
    }
}

TEST(Unix, ProcessesInGroupCountsTheLivingOnly)
{
    // A group of two sleeping children, then the same two as zombies, then reaped.
    auto sleeper = [](pid_t group) {
        const pid_t child = ::fork();
        if (child == 0) {
            ::setpgid(0, group);
            ::pause();
            ::_exit(0);
        }
        ::setpgid(child, group); // also here, so that it holds before the count below
        return child;
    };
    const pid_t leader = sleeper(0);
    ASSERT_GT(leader, 0);
    EXPECT_EQ(Unix::processesInGroup(leader), 1);
    const pid_t member = sleeper(leader);
    ASSERT_GT(member, 0);
    EXPECT_EQ(Unix::processesInGroup(leader), 2);

    ::kill(-leader, SIGKILL);
    for (const pid_t pid : {leader, member}) {
        siginfo_t info{};
        ::waitid(P_PID, id_t(pid), &info, WEXITED | WNOWAIT); // ended, not reaped
    }
    EXPECT_EQ(Unix::processesInGroup(leader), 0) << "zombies";
    for (const pid_t pid : {leader, member})
        ::waitpid(pid, nullptr, 0);
    EXPECT_EQ(Unix::processesInGroup(leader), 0) << "gone";
    EXPECT_EQ(Unix::processesInGroup(0), 0);
}
