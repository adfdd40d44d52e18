// A copied project folder through the real executable: the bundled example opened from a copy
// names only the copy's files, and a copy with hostile folder names builds its own sources while
// the original stays untouched.
#include "project/keyedarchive.h"
#include "project/mydocument.h"
#include "support/testutil.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace
{

const QString kExample = QStringLiteral(CORVANE_SOURCE_DIR "/examples/heat");

ProgramResult runCorvane(const QStringList &args, const QString &workingDir)
{
    return runProgram(corvaneExecutable(), args, {}, workingDir, 180000);
}

} // namespace

TEST(ProjectCopy, TheExampleOpenedFromACopyNamesOnlyTheCopy)
{
    const Result<QVariant> archive = KeyedArchive::decode(readFile(kExample + "/Heat.corvane"));
    ASSERT_TRUE(archive.ok());
    const QVariantMap root = archive->toMap();
    const QStringList relative = root.value("relativeFileList").toStringList();
    EXPECT_EQ(relative, (QStringList{"grid.f90", "heat.f90", "kinds.f90", "output.f90",
                                     "solver.f90"}));
    const QString savedIn = root.value("savedDirectoryPath").toString();
    ASSERT_FALSE(savedIn.isEmpty());

    QTemporaryDir dir;
    const QString copy = dir.filePath("heat");
    ASSERT_GE(copyFolder(kExample, copy), 6);
    const ProgramResult shown = runCorvane({"show", "--json", copy + "/Heat.corvane"}, dir.path());
    ASSERT_EQ(shown.exitCode, 0) << shown.err.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(shown.out).object();
    EXPECT_EQ(o.value("buildDirectory").toString(), copy + "/Build_Running");
    QStringList paths;
    for (const QJsonValue &f : o.value("files").toArray())
        paths << f.toObject().value("path").toString();
    QStringList want;
    for (const QString &name : relative)
        want << copy + "/" + name;
    EXPECT_EQ(paths, want);

    const ProgramResult made = runCorvane({"makefile", copy + "/Heat.corvane"}, dir.path());
    ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
    const QString makefile = QString::fromUtf8(made.out);
    for (const QString &p : want)
        EXPECT_TRUE(makefile.contains(p)) << p.toStdString();
    // Every path in it, but the compiler's, lies in the copy.
    const QString compiler = o.value("compilerPath").toString();
    const QRegularExpression pathPattern("(?<![\\w.])/[^\\s\\\\]+");
    int checked = 0;
    for (const QRegularExpressionMatch &m : pathPattern.globalMatch(makefile)) {
        if (m.captured() == compiler)
            continue;
        EXPECT_TRUE(m.captured().startsWith(copy + "/")) << m.captured().toStdString();
        ++checked;
    }
    EXPECT_GE(checked, 10);
    for (const QString &other : {kExample, savedIn})
        EXPECT_FALSE(makefile.contains(other)) << other.toStdString();
}

TEST(ProjectCopy, ACopyWithHostileNamesBuildsItsOwnSources)
{
    if (QStandardPaths::findExecutable("make").isEmpty() ||
        QStandardPaths::findExecutable("gfortran").isEmpty())
        GTEST_SKIP() << "make or gfortran missing";
    QTemporaryDir dir;
    const QString original = dir.filePath("orig $x#`touch PWNED`");
    const QString module = "src (1)&'q'/m$(touch PWNED).f90";
    writeFile(original + "/" + module, "module m\n  integer :: v = 7\nend module\n");
    writeFile(original + "/inc (d)&x/k.inc", "  integer, parameter :: k = 5\n");
    const QByteArray main = "program p\n  use m\n  implicit none\n  include 'k.inc'\n"
                            "  print '(a,i0)', 'FROM ', v + k\nend program\n";
    writeFile(original + "/main.f90", main);
    {
        MyDocument doc;
        doc.setProjectCompilerPath(QStandardPaths::findExecutable("gfortran"));
        doc.addFileNames({original + "/main.f90", original + "/" + module,
                          original + "/inc (d)&x/k.inc"},
                         false);
        ASSERT_TRUE(doc.write(original + "/Demo.corvane").ok());
    }
    const QString copy = dir.filePath("copy 'b' `touch PWNED` $x");
    ASSERT_EQ(copyFolder(original, copy), 4);
    // The copy is a variant: its sources differ from the original's.
    writeFile(copy + "/" + module, "module m\n  integer :: v = 30\nend module\n");
    writeFile(copy + "/inc (d)&x/k.inc", "  integer, parameter :: k = 12\n");

    const ProgramResult built = runCorvane({"build", copy + "/Demo.corvane"}, dir.path());
    ASSERT_EQ(built.exitCode, 0) << built.out.toStdString() << built.err.toStdString();
    const ProgramResult run = runProgram(copy + "/DemoRunning", {}, {}, copy);
    EXPECT_EQ(run.out, "FROM 42\n");
    EXPECT_FALSE(QFileInfo::exists(original + "/Build_Running"));
    EXPECT_FALSE(QFileInfo::exists(original + "/DemoRunning"));
    EXPECT_EQ(QDir(dir.path()).entryList({"*PWNED*"}, QDir::Files), QStringList());
    EXPECT_FALSE(QFileInfo::exists(copy + "/Build_Running/PWNED"));
}
