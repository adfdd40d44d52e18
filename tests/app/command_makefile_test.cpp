// corvane makefile: the text printed for a saved project matches what the generator writes.
#include "build/makefilegenerator.h"
#include "project/mydocument.h"
#include "project/prompts.h"
#include "support/testutil.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace corvane
{
namespace
{

TEST(MakefileCommand, PrintsTheMakefileOfEachConfiguration)
{
    QTemporaryDir dir;
    const QString alpha = dir.path() + "/alpha.f90";
    const QString main = dir.path() + "/main.f90";
    test::writeFile(alpha, "module alpha\nend module alpha\n");
    test::writeFile(main, "program p\n  use alpha\nend program\n");
    const QString project = dir.path() + "/Demo.corvane";
    {
        MyDocument document;
        document.setProjectCompilerPath("gfortran");
        document.setReleaseCompilerFlags("-O2");
        document.setDebugCompilerFlags("-g");
        document.addFileNames({main, alpha}, false);
        ASSERT_TRUE(document.write(project).ok());
    }
    struct Case {
        QStringList args;
        QString target, flags, mainNeeds;
    };
    const Case cases[] = {
        {{"--release"}, "DemoRunning", "FFLAGS = -O2\n", "alpha.mod"},
        {{"--debug"}, "DemoTesting", "FFLAGS = -g\n", "alpha.mod"},
        {{}, "DemoRunning", "FFLAGS = -O2\n", "alpha.mod"},
        {{"--classic"}, "DemoRunning", "FFLAGS = -O2\n", "alpha.o"},
        {{"--debug", "--classic"}, "DemoTesting", "FFLAGS = -g\n", "alpha.o"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const test::ProgramResult r =
            test::runProgram(test::corvaneExecutable(), QStringList{"makefile", project} + c.args);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QString text = QString::fromUtf8(r.out);
        EXPECT_TRUE(text.startsWith("F90 = gfortran\n" + c.flags)) << r.out.toStdString();
        EXPECT_TRUE(text.contains(c.target + " : $(OBJS)\n")) << r.out.toStdString();
        EXPECT_TRUE(text.contains("main.o : " + main + " \\\n" + c.mainNeeds + "\n"))
            << r.out.toStdString();
        EXPECT_EQ(text.contains("alpha.mod : alpha.o ; +\n"), c.mainNeeds == "alpha.mod");
    }

    // The classic text is the described Makefile, line for line.
    const test::ProgramResult classic = test::runProgram(test::corvaneExecutable(),
                                                         {"makefile", project, "--classic"});
    EXPECT_EQ(QString::fromUtf8(classic.out),
              "F90 = gfortran\nFFLAGS = -O2\n##########################\n# Object Files for "
              "build #\n##########################\n\nOBJS = \\\nalpha.o \\\nmain.o \\\n\n"
              "DemoRunning : $(OBJS)\n\t ${F90}  -o $@ $(OBJS)\n\n"
              "#######################################\n# Object dependencies and compilation "
              "#\n#######################################\nalpha.o : " +
                  alpha + "\n\t$(F90) -c $(FFLAGS) $(INCLUDES) -o $@ " + alpha + "\n\nmain.o : " +
                  main + " \\\nalpha.o\n\t$(F90) -c $(FFLAGS) $(INCLUDES) -o $@ " + main +
                  "\n\n");

    const test::ProgramResult missing =
        test::runProgram(test::corvaneExecutable(), {"makefile", dir.path() + "/none.corvane"});
    EXPECT_NE(missing.exitCode, 0);
    EXPECT_TRUE(missing.err.contains("none.corvane")) << missing.err.toStdString();
    const test::ProgramResult usage = test::runProgram(test::corvaneExecutable(), {"makefile"});
    EXPECT_EQ(usage.exitCode, 2);
}

} // namespace
} // namespace corvane
