// corvane new / add / show, run as the built program.
#include "support/testutil.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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
