#include "build/makefilegenerator.h"
#include "build/makequoting.h"

#include <gtest/gtest.h>

namespace corvane
{
namespace
{

using namespace makequoting;

TEST(MakeQuoting, PrerequisiteTargetAndShellForms)
{
    struct Case {
        QString path, prerequisite, shell;
    };
    const Case cases[] = {
        {"/p/main.f90", "/p/main.f90", "/p/main.f90"},
        {"/w/My Dir/a b.f90", "/w/My\\ Dir/a\\ b.f90", "/w/My\\ Dir/a\\ b.f90"},
        {"/w/a$b.f90", "/w/a$$b.f90", "/w/a\\$$b.f90"},
        {"/w/a#b.f90", "/w/a\\#b.f90", "/w/a\\#b.f90"},
        {"/w/a%b.f90", "/w/a%b.f90", "/w/a%b.f90"},
        {"/w/a'b\".f90", "/w/a'b\".f90", "/w/a\\'b\\\".f90"},
        {"/w/a`b.f90", "/w/a`b.f90", "/w/a\\`b.f90"},
        {"/w/a\\b.f90", "/w/a\\b.f90", "/w/a\\\\b.f90"},
        {"/w/a\\ b.f90", "/w/a\\\\\\ b.f90", "/w/a\\\\\\ b.f90"},
        {"/w/(x)/a.f90", "/w/(x)/a.f90", "/w/\\(x\\)/a.f90"},
        {"/w/a&b|c.f90", "/w/a&b\\|c.f90", "/w/a\\&b\\|c.f90"},
        {"/w/<a>.f90", "/w/<a>.f90", "/w/\\<a\\>.f90"},
        {"/w/*?[x].f90", "/w/\\*\\?\\[x].f90", "/w/\\*\\?\\[x\\].f90"},
        {"/w/~a.f90", "/w/~a.f90", "/w/\\~a.f90"},
        {"~/a.f90", "./~/a.f90", "\\~/a.f90"},
        {"/w/a=b.f90", "/w/a$(firstword =)b.f90", "/w/a\\=b.f90"},
        {"/w/a\tb.f90", "/w/a\\\tb.f90", "/w/a\\\tb.f90"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_EQ(prerequisite(c.path), c.prerequisite);
        EXPECT_EQ(shellWord(c.path), c.shell);
        EXPECT_TRUE(inexpressibleReason(c.path).isNull());
    }
    EXPECT_EQ(target("50%Running"), "50\\%Running");
    EXPECT_EQ(prerequisite("50%Running"), "50%Running");
}

TEST(MakeQuoting, PathsMakeCannotName)
{
    const QString refused[] = {"/w/a;b.f90",  "/w/a:b.f90",  "/w/a\nb.f90",
                               "/w/a\rb.f90", "/w/ab.f90\\", "/w/lib(member)"};
    for (const QString &path : refused) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_FALSE(inexpressibleReason(path).isNull());
    }
    EXPECT_TRUE(inexpressibleReason("/w/(x)/a.f90").isNull());
}

TEST(MakeQuoting, IncludeTokens)
{
    struct Case {
        QString token, want;
    };
    const Case cases[] = {
        {"\"/w/My Inc\"", "\"/w/My Inc\""},
        {"/opt/inc", "/opt/inc"},
        {"$(NETCDF)/include", "$(NETCDF)/include"},
        {"\"$(NETCDF)/include\"", "\"$(NETCDF)/include\""},
        {"\"/w/a`id`b\"", "/w/a\\`id\\`b"},
        {"\"/w/a$HOME b\"", "/w/a\\$$HOME\\ b"},
        {"\"/w/x#y\"", "/w/x\\#y"},
        {"\"", "\""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.token.toStdString());
        EXPECT_EQ(includeToken(c.token), c.want);
    }
}

TEST(MakeQuoting, ObjectFileNames)
{
    struct Case {
        QString path, object;
    };
    const Case cases[] = {
        {"/w/My Solver.f90", "MySolver.o"},
        {"/w/util.F", "util.o"},
        {"/w/a.b.f90", "a.b.o"},
        {"/w/noext", "noext.o"},
        {"/w/x y/a b c.f90", "abc.o"},
        {"/w/a$b.f90", "a_b.o"},
        {"/w/run(1)&x;y.f90", "run_1__x_y.o"},
        {"/w/a=b#c%d.f90", "a_b_c_d.o"},
        {"/w/`rm -rf ~`.f90", "_rm-rf__.o"},
        {"/w/ünï.f90", "ünï.o"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_EQ(MakefileGenerator::objectFileNameForPath(c.path), c.object);
    }
}

} // namespace
} // namespace corvane
