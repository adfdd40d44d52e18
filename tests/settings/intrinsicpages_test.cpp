// The intrinsic pages: the table compiled into the program covers the vocabulary and reads
// without a complaint, every page renders to well-formed HTML, and bad tables are told by line.
#include "settings/intrinsicpages.h"
#include "settings/vocabulary.h"
#include "support/testutil.h"

#include <QFile>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

using namespace corvane;

TEST(IntrinsicPages, EveryIntrinsicOfTheVocabularyHasAPage)
{
    const IntrinsicPages &pages = IntrinsicPages::instance();
    const QStringList names = Vocabulary::instance().intrinsicsArray();
    ASSERT_GT(names.size(), 250);
    for (const QString &name : names)
        EXPECT_TRUE(pages.page(name)) << "no page for " << name.toStdString();
    EXPECT_TRUE(pages.page("SQRT")) << "names are found in any letter case";
}

TEST(IntrinsicPages, TheTableReadsWithoutComplaint)
{
    QFile file(QString::fromLatin1(IntrinsicPages::ResourcePath));
    IntrinsicPages::instance(); // registers the resources
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QStringList errors;
    const IntrinsicPages pages = IntrinsicPages::parse(QString::fromUtf8(file.readAll()), &errors);
    EXPECT_EQ(errors, QStringList());
    EXPECT_EQ(pages.size(), IntrinsicPages::instance().size());
}

TEST(IntrinsicPages, EveryPageIsWellFormed)
{
    const IntrinsicPages &pages = IntrinsicPages::instance();
    for (const QString &name : pages.names()) {
        SCOPED_TRACE(name.toStdString());
        const IntrinsicPage *page = pages.page(name);
        ASSERT_TRUE(page);
        QXmlStreamReader xml("<page>" + page->html() + "</page>");
        while (!xml.atEnd())
            xml.readNext();
        EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
        EXPECT_GE(page->example.size(), 2);
        EXPECT_EQ(page->isSubroutine(), page->result.isEmpty());
        for (const IntrinsicArgument &a : page->arguments) {
            EXPECT_FALSE(a.type.isEmpty() || a.kind.isEmpty() || a.rank.isEmpty() ||
                         a.intent.isEmpty())
                << a.name.toStdString();
        }
        EXPECT_TRUE(page->plainText().startsWith(page->name + " (")) << page->plainText().toStdString();
    }
}

TEST(IntrinsicPages, ModulesAndSpecificNames)
{
    const IntrinsicPages &pages = IntrinsicPages::instance();
    const struct {
        const char *name;
        const char *module;
    } modules[] = {{"sqrt", ""},
                   {"c_loc", "iso_c_binding"},
                   {"compiler_version", "iso_fortran_env"},
                   {"ieee_is_nan", "ieee_arithmetic"}};
    for (const auto &m : modules) {
        const IntrinsicPage *page = pages.page(m.name);
        ASSERT_TRUE(page) << m.name;
        EXPECT_EQ(page->module, QString(m.module)) << m.name;
    }
    const IntrinsicPage *dsqrt = pages.page("dsqrt");
    ASSERT_TRUE(dsqrt);
    EXPECT_TRUE(dsqrt->classes.contains("specific"));
    ASSERT_EQ(dsqrt->arguments.size(), 1);
    EXPECT_EQ(dsqrt->arguments[0].type, "double precision");
    EXPECT_TRUE(dsqrt->description.contains("sqrt"));
}

TEST(IntrinsicPages, BadTablesAreToldByLine)
{
    const struct {
        const char *name;
        const char *table;
        const char *error; // the first complaint
        int pages;
    } cases[] = {
        {"a whole entry",
         "f | elemental function | Fortran 90\n  x | real\n  = real\n  : Does f.\n  > a\n  > b\n",
         "", 1},
        {"an unknown class", "f | magic function | Fortran 90\n  = r\n  : d\n  > a\n  > b\n",
         "line 1: f: unknown class in 'magic function'", 0},
        {"an example of one line", "f | elemental function | F90\n  = r\n  : d\n  > a\n",
         "line 1: f: an example needs two lines", 0},
        {"a function without a result", "f | inquiry function | F90\n  : d\n  > a\n  > b\n",
         "line 1: f: a function needs a result", 0},
        {"a subroutine needs none", "s | subroutine | F90\n  : d\n  > a\n  > b\n", "", 1},
        {"a bad argument line", "f | elemental function | F90\n  x | real | any\n",
         "line 2: f: an argument is name | type [| kind | rank | intent]", 0},
        {"a detail outside an entry", "  = r\n", "line 1: a detail line outside an entry", 0},
        {"listed twice",
         "s | subroutine | F90\n  : d\n  > a\n  > b\nS | subroutine | F90\n  : d\n  > a\n  > b\n",
         "line 5: S: listed twice", 1},
        {"a specific of an unknown generic", "dfoo = foo | real | real | FORTRAN 77\n",
         "line 1: dfoo: no page for foo", 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QStringList errors;
        const IntrinsicPages pages = IntrinsicPages::parse(QString(c.table), &errors);
        EXPECT_EQ(errors.value(0), QString(c.error));
        EXPECT_EQ(pages.size(), c.pages);
    }
    // Left-out parts of an argument get their defaults.
    const IntrinsicPages one = IntrinsicPages::parse(
        u"f | elemental function | F90\n  [x] | real\n  = real\n  : d\n  > a\n  > b\n"
        u"g | inquiry function | F90\n  x | real\n  = real\n  : d\n  > a\n  > b\n");
    const IntrinsicArgument &ax = one.page("f")->arguments.at(0);
    EXPECT_TRUE(ax.optional);
    EXPECT_EQ(QStringList({ax.name, ax.kind, ax.rank, ax.intent}),
              QStringList({"x", "any", "scalar or array", "in"}));
    EXPECT_EQ(one.page("g")->arguments.at(0).rank, "scalar");
}
