// corvane complete: the candidates of the completion list for a caret in a project file, run as
// a program over a project written here, and the messages for bad requests.
#include "project/mydocument.h"
#include "support/testutil.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace
{

class CompleteCommand : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString project;

    void SetUp() override
    {
        writeFile(dir.filePath("base.f90"),
                  "module base_m\n"
                  "  type :: point\n"
                  "    real :: px, py\n"
                  "  contains\n"
                  "    procedure :: shift => point_shift\n"
                  "  end type\n"
                  "contains\n"
                  "  subroutine point_shift(self, dx)\n"
                  "    class(point) :: self\n"
                  "    real :: dx\n"
                  "  end subroutine\n"
                  "end module\n");
        // Lines 6 to 17 are being typed; the caret goes to their ends.
        writeFile(dir.filePath("geo.f90"), "module geo\n"            // 1
                                           "  use base_m\n"          // 2
                                           "contains\n"              // 3
                                           "  subroutine run(p)\n"   // 4
                                           "    type(point) :: p\n"  // 5
                                           "    call pr\n"           // 6
                                           "    x = p%\n"            // 7
                                           "    call p%\n"           // 8
                                           "    use \n"              // 9
                                           "    do\n"                // 10
                                           "    x = 1 ! call pr\n"   // 11
                                           "    x = p%p\n"           // 12
                                           "    use is\n"            // 13
                                           "    integer, al\n"       // 14
                                           "    end su\n"            // 15
                                           "    subroutine fo\n"     // 16
                                           "    call ra\n"           // 17
                                           "  end subroutine\n"
                                           "end module\n"
                                           "subroutine print_all(a, b)\n"
                                           "end subroutine\n");
        MyDocument document;
        document.addFileNames({dir.filePath("base.f90"), dir.filePath("geo.f90")}, false);
        project = dir.filePath("demo.corvane");
        ASSERT_TRUE(document.write(project).ok());
    }
};

} // namespace

TEST_F(CompleteCommand, CandidatesAtCarets)
{
    const struct {
        QStringList args;
        QByteArray out;
    } cases[] = {
        {{"6", "12"}, "print_all(a = !^,b = !^)\n"},
        {{"7", "11"}, "px\npy\n"},
        {{"8", "12"}, "shift(dx = !^)\n"},
        {{"9", "9"}, "base_m\ngeo\nIEEE_ARITHMETIC\nIEEE_EXCEPTIONS\nIEEE_FEATURES\n"
                     "ISO_C_BINDING\nISO_FORTRAN_ENV\n"},
        {{"10", "7", "--explicit"}, "Do...\n"},
        {{"10", "7"}, "do\ndouble\ndoubleprecision\n"}, // automatic: keywords
        {{"11", "20"}, ""},           // in a comment
        {{"12", "12"}, "px\npy\n"},
        {{"12", "11"}, "px\npy\n"},   // right after "%": the members
        {{"6", "100"}, "print_all(a = !^,b = !^)\n"}, // a column past the end is the line's end
        {{"13", "10"}, ""}, // "use i": one letter
        {{"13", "11"}, "ISO_C_BINDING\nISO_FORTRAN_ENV\n"},
        {{"14", "16"}, "allocatable\n"},
        {{"15", "11"}, "submodule\nsubroutine\n"},
        {{"16", "18"}, ""}, // a new name: nothing to offer
        {{"17", "12"}, "random_init(repeatable = !^, image_distinct = !^)\n"
                       "random_number(harvest = !^)\nrandom_seed(size = !^, put = !^, get = !^)\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const auto r = runProgram(corvaneExecutable(),
                                  QStringList{"complete", project, dir.filePath("geo.f90")} +
                                      c.args);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(r.out, c.out);
    }
}

// The settings file decides over the registered defaults.
TEST_F(CompleteCommand, SettingsFromTheSettingsFile)
{
    // The settings file of this test run (other tests may have written it): put back afterwards.
    const QString conf = qEnvironmentVariable("XDG_CONFIG_HOME") + "/Corvane/Corvane.conf";
    const bool existed = QFileInfo::exists(conf);
    const QByteArray before = existed ? readFile(conf) : QByteArray();
    const auto complete = [this](const char *line, const char *column) {
        return runProgram(corvaneExecutable(), QStringList{"complete", project,
                                                           dir.filePath("geo.f90"), line, column});
    };
    const struct {
        const char *settings;
        QByteArray callRa, callPr;
    } cases[] = {
        {"autoCompleteFortranIntrinsics=false\n", "", "print_all(a = !^,b = !^)\n"},
        {"showArgumentListsDuringAutocomplete=false\n",
         "random_init(!^, !^)\nrandom_number(!^)\nrandom_seed(!^, !^, !^)\n",
         "print_all\n"}, // project procedures outside modules: the bare name then
        {"autoCompleteProcedures=false\n",
         "random_init(repeatable = !^, image_distinct = !^)\nrandom_number(harvest = !^)\n"
         "random_seed(size = !^, put = !^, get = !^)\n",
         ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.settings);
        writeFile(conf, QByteArray("[General]\n") + c.settings);
        const auto ra = complete("17", "12");
        const auto pr = complete("6", "12");
        EXPECT_EQ(ra.exitCode, 0) << ra.err.toStdString();
        EXPECT_EQ(ra.out, c.callRa);
        EXPECT_EQ(pr.out, c.callPr);
    }
    if (existed)
        writeFile(conf, before);
    else
        QFile::remove(conf);
}

TEST_F(CompleteCommand, BadRequests)
{
    const struct {
        const char *name;
        QStringList args;
        int exitCode;
        QByteArray err;
    } cases[] = {
        {"no caret", {project, "geo.f90"}, 2, "usage: corvane complete"},
        {"line zero", {project, "geo.f90", "0", "1"}, 2, "is no line or column"},
        {"unknown option", {project, "geo.f90", "1", "1", "--fast"}, 2, "unknown option '--fast'"},
        {"line past the end", {project, "geo.f90", "99", "1"}, 1, "has no line 99 column 1"},
        {"not in the project", {project, "other.f90", "1", "1"}, 1,
         "other.f90 is not a file of the project"},
        {"no project", {dir.filePath("none.corvane"), "geo.f90", "1", "1"}, 1,
         "corvane complete:"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto r = runProgram(corvaneExecutable(), QStringList{"complete"} + c.args, {},
                                  dir.path());
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_TRUE(r.err.contains(c.err)) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    }
}
