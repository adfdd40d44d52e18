// corvane colour: JSON lines of the scanner's spans, the source form from the flags or the
// extension, another vocabulary, and clear failures.
#include "editor/colourscanner.h"
#include "settings/vocabulary.h"
#include "support/testutil.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace corvane
{
namespace
{

const QString kVocabulary = QStringLiteral(CORVANE_SOURCE_DIR "/tests/editor/data/vocabulary.plist");

TEST(ColourCommand, PrintsSpansInTextOrder)
{
    const QString golden = QStringLiteral(CORVANE_SOURCE_DIR "/tests/editor/data/unicode.f90");
    const auto r = test::runProgram(test::corvaneExecutable(),
                                    {"colour", golden, "--vocabulary", kVocabulary});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QString want;
    const ColourScanner scanner(Vocabulary::fromFile(kVocabulary), false);
    for (const Span &s : scanner.colourText(QString::fromUtf8(test::readFile(golden))))
        want += QStringLiteral("{\"start\": %1, \"length\": %2, \"kind\": \"%3\"}\n")
                    .arg(s.start)
                    .arg(s.length)
                    .arg(spanKindName(s.kind));
    EXPECT_EQ(QString::fromUtf8(r.out), want);
    EXPECT_TRUE(want.contains("\"kind\": \"string\"")); // the case is not trivially empty
}

TEST(ColourCommand, FormFollowsFlagsThenExtension)
{
    QTemporaryDir dir;
    const QByteArray text = "c end\n";
    const QByteArray comment = "{\"start\": 0, \"length\": 5, \"kind\": \"comment\"}\n";
    const QByteArray keyword = "{\"start\": 2, \"length\": 3, \"kind\": \"keyword\"}\n";
    const struct {
        const char *name;
        QStringList flags;
        QByteArray want;
    } cases[] = {
        {"a.f", {}, comment},          {"a.FOR", {}, comment},          {"a.f77", {}, comment},
        {"a.ftn", {}, comment},        {"a.f90", {}, keyword},          {"a.F", {}, comment},
        {"a.f", {"--free"}, keyword},  {"a.f90", {"--fixed"}, comment},
    };
    for (const auto &c : cases) {
        const QString path = dir.filePath(c.name);
        test::writeFile(path, text);
        const auto r = test::runProgram(test::corvaneExecutable(),
                                        QStringList{"colour", path, "--vocabulary", kVocabulary} +
                                            c.flags);
        EXPECT_EQ(r.exitCode, 0) << c.name;
        EXPECT_EQ(r.out, c.want) << c.name << " " << c.flags.join(' ').toStdString();
    }
}

TEST(ColourCommand, BundledVocabularyColoursCommonWords)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("p.f90");
    test::writeFile(path, "program p\nx = sqrt(2.0)\nend program p\n");
    const auto r = test::runProgram(test::corvaneExecutable(), {"colour", path});
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.contains("{\"start\": 0, \"length\": 7, \"kind\": \"keyword\"}")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("{\"start\": 14, \"length\": 4, \"kind\": \"intrinsic\"}")) << r.out.toStdString();
}

TEST(ColourCommand, FailuresAreToldOnStderr)
{
    QTemporaryDir dir;
    const QString source = dir.filePath("a.f90");
    test::writeFile(source, "end\n");
    const QString notPlist = dir.filePath("words.plist");
    test::writeFile(notPlist, "not a property list");
    const struct {
        QStringList args;
        int status;
        const char *said;
    } cases[] = {
        {{"colour"}, 2, "usage: corvane colour"},
        {{"colour", source, "--wrap"}, 2, "unexpected argument \"--wrap\""},
        {{"colour", dir.filePath("missing.f90")}, 1, "cannot read"},
        {{"colour", source, "--vocabulary", notPlist}, 1, "holds no \"keywords\""},
    };
    for (const auto &c : cases) {
        const auto r = test::runProgram(test::corvaneExecutable(), c.args);
        EXPECT_EQ(r.exitCode, c.status) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(c.said)) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}

} // namespace
} // namespace corvane
