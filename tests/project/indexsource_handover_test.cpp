// The text the index parses is handed over to the parser unshared, preprocessed or spliced or
// not, so that a statement continued over many lines is joined in place: the declarations and
// their lines are those of a parse of a shared text.
#include "project/indexpreprocessing.h"

#include "analysis/declarationjson.h"
#include "analysis/ffileparser.h"

#include <gtest/gtest.h>

using namespace corvane;

TEST(IndexSourceHandOver, ParsedTextIsUnsharedAndJoinedInPlace)
{
    QString table;
    for (int i = 0; table.size() < 6 * FStatementReader::kJoinInPlaceFrom; ++i)
        table += QString::number(i % 97) + ", &\n    & ";
    const QString body = "  real :: t(N)\n  data t / " + table +
                         "0 /\n  real :: after\n"
                         "contains\n  subroutine s(a, &\n    b)\n  end subroutine\nend module\n";
    const struct {
        const char *name;
        QString text;
        bool mapped;
    } cases[] = {
        {"plain", "module m\n  integer, parameter :: N = 3\n" + body, false},
        {"preprocessed", "module m\n#define N 3\n" + body, true},
        {"INCLUDE line", "module m\n  include 'n.inc'\n" + body, true},
        {"both", "module m\n#ifndef X\n  include 'n.inc'\n#endif\n" + body, true},
    };
    FPreprocessor::Options options;
    options.readFile = [](const QString &) {
        return std::optional<QString>(QStringLiteral("  integer, parameter :: N = 3\n"));
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        SourceForIndexing source = sourceForIndexing("/p/m.F90", c.text, options);
        ASSERT_EQ(source.sourceMap.has_value(), c.mapped);
        const FPreprocessor::Result *map = source.sourceMap ? &*source.sourceMap : nullptr;
        QString want;
        {
            FFileParser shared; // holds a reference to the text while it lives
            want = declarationsJson(
                *shared.declarationsInFortranFile("/p/m.F90", source.text, 1, map));
        }
        if (c.mapped) {
            EXPECT_TRUE(source.text.isDetached()) << "the source map keeps a reference";
        }
        FFileParser inPlace;
        const QString got = declarationsJson(
            *inPlace.declarationsInFortranFile("/p/m.F90", std::move(source.text), 1, map));
        // The plain text is still shared with c.text here; the index lets go of its own first.
        EXPECT_EQ(inPlace.joinedInPlaceCount(), c.mapped ? 1 : 0);
        EXPECT_EQ(got.toStdString(), want.toStdString());
        EXPECT_TRUE(got.contains(u"\"after\"")) << got.left(300).toStdString();
    }
}
