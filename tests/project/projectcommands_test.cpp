// corvane new / add / show, run as the built program: also against a failing disk, a damaged
// project and each other.
#include "support/testutil.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include <sys/stat.h>

using namespace corvane;

namespace
{

class ProjectCommands : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!QFileInfo(test::corvaneExecutable()).isExecutable())
            GTEST_SKIP() << "the corvane program is not built in this tree";
        ASSERT_TRUE(dir.isValid());
    }
    test::ProgramResult run(const QStringList &args)
    {
        return test::runProgram(test::corvaneExecutable(), args, {}, dir.path());
    }
    // corvane with no file of it allowed to grow past limit bytes; SIGXFSZ is ignored, so the
    // write fails with EFBIG as a write on a full disk fails with ENOSPC.
    test::ProgramResult runLimited(int limit, const QStringList &args)
    {
        const QString prlimit = QStandardPaths::findExecutable("prlimit");
        if (prlimit.isEmpty())
            return {};
        return test::runProgram("/bin/sh",
                                QStringList{"-c", "trap '' XFSZ; exec \"$@\"", "sh", prlimit,
                                            "--fsize=" + QString::number(limit),
                                            test::corvaneExecutable()} +
                                    args,
                                {}, dir.path(), 20000);
    }
    QJsonObject show(const QString &project)
    {
        const test::ProgramResult r = run({"show", project, "--json"});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        return QJsonDocument::fromJson(r.out).object();
    }
    static QStringList paths(const QJsonObject &shown)
    {
        QStringList list;
        for (const QJsonValue &f : shown.value("files").toArray())
            list << f.toObject().value("path").toString();
        return list;
    }
    QString path(const QString &name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

} // namespace

TEST_F(ProjectCommands, NewAddAndShow)
{
    test::writeFile(path("main.f90"), "program p\nend\n");
    test::writeFile(path("lib/util.f"), "      end\n");
    test::writeFile(path("lib/consts.inc"), "integer, parameter :: n = 3\n");
    test::writeFile(path("lib/notes.txt"), "not a source\n");

    test::ProgramResult r = run({"new", "Demo.corvane", "main.f90", "lib"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QJsonObject shown = show("Demo.corvane");
    EXPECT_EQ(paths(shown),
              (QStringList{path("lib/consts.inc"), path("main.f90"), path("lib/util.f")}));
    EXPECT_EQ(shown.value("includeFlags").toString(), "\"" + path("lib") + "\" ");
    EXPECT_EQ(shown.value("executableName").toString(), "DemoRunning");
    EXPECT_EQ(shown.value("files").toArray()[2].toObject().value("freeForm").toBool(), false);
    EXPECT_EQ(shown.value("files").toArray()[0].toObject().value("state").toString(), "saved");
    EXPECT_TRUE(shown.value("commandLineArguments").isNull());

    // An existing project is never overwritten.
    r = run({"new", "Demo.corvane"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(paths(show("Demo.corvane")).size(), 3);

    test::writeFile(path("extra.f95"), "module m\nend module\n");
    r = run({"add", "Demo.corvane", "extra.f95", "main.f90"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("Added 1 file")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("added " + path("extra.f95").toUtf8()));
    EXPECT_TRUE(r.out.contains("skipped " + path("main.f90").toUtf8()));
    EXPECT_EQ(paths(show("Demo.corvane")).size(), 4);

    // A folder is collected as the open panel collects it: Fortran and include files, no headers.
    test::writeFile(path("more/a.f90"), "module a\nend module\n");
    test::writeFile(path("more/b.h"), "#define B 1\n");
    r = run({"add", "Demo.corvane", "more"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("added " + path("more/a.f90").toUtf8())) << r.out.toStdString();
    EXPECT_FALSE(r.out.contains("b.h"));

    // A missing argument writes nothing.
    const QByteArray before = test::readFile(path("Demo.corvane"));
    r = run({"add", "Demo.corvane", "nothere.f90"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("nothere.f90"));
    EXPECT_EQ(test::readFile(path("Demo.corvane")), before);

    r = run({"show", "Demo.corvane"});
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.contains("Files (5):")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("fixed  " + path("lib/util.f").toUtf8())) << r.out.toStdString();
}

TEST_F(ProjectCommands, BadProjectsAndArgumentsFailWithAMessage)
{
    test::writeFile(path("junk.corvane"), "not a project at all");
    const struct {
        QStringList args;
        int status;
        const char *message;
    } cases[] = {
        {{"show", "junk.corvane"}, 1, "junk.corvane"},
        {{"add", "junk.corvane", "x.f90"}, 1, "not a property list"},
        {{"show", "missing.corvane"}, 1, "missing.corvane"},
        {{"show"}, 2, "usage"},
        {{"add", "junk.corvane"}, 2, "usage"},
        {{"new"}, 2, "usage"},
        {{"new", "x.corvane", "nothing.f90"}, 1, "nothing.f90"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const test::ProgramResult r = run(c.args);
        EXPECT_EQ(r.exitCode, c.status);
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(path("x.corvane")));
    EXPECT_EQ(test::readFile(path("junk.corvane")), QByteArray("not a project at all"));
}

// (we had this bug) On a full disk `add` said "Added 1 file", exited 0 and left the project
// file empty.
TEST_F(ProjectCommands, AFullDiskIsAnErrorAndKeepsTheProject)
{
    if (QStandardPaths::findExecutable("prlimit").isEmpty())
        GTEST_SKIP() << "prlimit is not installed";
    for (int i = 0; i < 40; ++i)
        test::writeFile(path(QString("src/file%1.f90").arg(i)), "end\n");
    ASSERT_EQ(run({"new", "F.corvane", "src"}).exitCode, 0);
    const QByteArray before = test::readFile(path("F.corvane"));
    test::writeFile(path("b.f90"), "end\n");

    test::ProgramResult r = runLimited(int(before.size()), {"add", "F.corvane", "b.f90"});
    EXPECT_EQ(r.exitCode, 1) << r.out.toStdString();
    EXPECT_TRUE(r.err.contains("File too large")) << r.err.toStdString();
    EXPECT_FALSE(r.out.contains("Added")) << r.out.toStdString();
    EXPECT_EQ(test::readFile(path("F.corvane")), before);

    // Not even the lock file fits: the system's reason all the same.
    r = runLimited(10, {"add", "F.corvane", "b.f90"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("File too large")) << r.err.toStdString();
    EXPECT_EQ(test::readFile(path("F.corvane")), before);

    r = runLimited(300, {"new", "G.corvane", "src"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("File too large")) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(path("G.corvane")));
}

// (we had this bug) A damaged file list showed as "Files (0)" and the next add saved the empty
// list over it.
TEST_F(ProjectCommands, ADamagedFileListIsToldAndNotSavedOver)
{
    test::writeFile(path("a.f90"), "end\n");
    ASSERT_EQ(run({"new", "D.corvane", "a.f90"}).exitCode, 0);
    QByteArray bytes = test::readFile(path("D.corvane"));
    const qsizetype at = bytes.indexOf("fileList");
    ASSERT_GE(at, 0);
    bytes[at + 7] = 'u';
    test::writeFile(path("D.corvane"), bytes);
    test::writeFile(path("b.f90"), "end\n");

    test::ProgramResult r = run({"show", "D.corvane"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("damaged")) << r.err.toStdString();
    r = run({"add", "D.corvane", "b.f90"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("damaged")) << r.err.toStdString();
    EXPECT_EQ(test::readFile(path("D.corvane")), bytes);
}

// (we had this bug) Two adds at once both read the old list; one addition was lost.
TEST_F(ProjectCommands, CommandsAtOnceKeepEveryAddition)
{
    ASSERT_EQ(run({"new", "K.corvane"}).exitCode, 0);
    constexpr int kAdds = 8;
    std::vector<std::unique_ptr<QProcess>> adds;
    QStringList expected;
    for (int i = 0; i < kAdds; ++i) {
        const QString source = path(QString("x%1.f90").arg(100 + i));
        test::writeFile(source, "end\n");
        expected << source;
        auto p = std::make_unique<QProcess>();
        p->setWorkingDirectory(dir.path());
        p->start(test::corvaneExecutable(), {"add", "K.corvane", source});
        adds.push_back(std::move(p));
    }
    for (auto &p : adds) {
        ASSERT_TRUE(p->waitForFinished(60000));
        EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
    }
    QStringList shown = paths(show("K.corvane"));
    shown.sort();
    EXPECT_EQ(shown, expected);
    EXPECT_FALSE(QFileInfo::exists(path("K.corvane.lock")));
}

// (we had this bug) `show` on a FIFO hung in open(); on a link to /dev/zero it grew without end.
TEST_F(ProjectCommands, ProjectsThatAreNotRegularFilesAreRefusedAtOnce)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("F.corvane")), 0600), 0);
    ASSERT_TRUE(QFile::link("/dev/zero", path("Z.corvane")));
    for (const char *name : {"F.corvane", "Z.corvane"}) {
        SCOPED_TRACE(name);
        const test::ProgramResult r = run({"show", name});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains("not a regular file")) << r.err.toStdString();
    }
}
