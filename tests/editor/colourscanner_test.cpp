// The colouring scanner against golden files: tests/editor/data/NAME.f90 is coloured (fixed form
// when NAME starts with "fixed_") with the small test vocabulary and compared with NAME.spans.
// CORVANE_UPDATE_GOLDEN=1 rewrites the .spans files; read every diff before accepting it.
#include "editor/colourscanner.h"
#include "settings/vocabulary.h"
#include "support/testutil.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace corvane;

namespace
{

QString dataPath(const QString &name)
{
    return QStringLiteral(CORVANE_TEST_DATA "/") + name;
}

const Vocabulary &testVocabulary()
{
    static const Vocabulary v = Vocabulary::fromFile(dataPath("vocabulary.plist"));
    return v;
}

// One span a line: "LINE START LENGTH KIND |covered text|", line ends and tabs shown escaped.
QString describe(const QString &text, const QList<Span> &spans)
{
    QString out;
    for (const Span &s : spans) {
        const qsizetype line = QStringView(text).left(s.start).count(u'\n') + 1;
        QString covered = text.mid(s.start, s.length);
        covered.replace("\r", "\\r").replace("\n", "\\n").replace("\t", "\\t");
        out += QStringLiteral("%1 %2 %3 %4 |%5|\n")
                   .arg(line)
                   .arg(s.start)
                   .arg(s.length)
                   .arg(spanKindName(s.kind), covered);
    }
    return out;
}

} // namespace

TEST(ColourScanner, GoldenFiles)
{
    ASSERT_FALSE(testVocabulary().fortranKeywords().isEmpty());
    const bool update = qEnvironmentVariableIntValue("CORVANE_UPDATE_GOLDEN") == 1;
    const QStringList sources = QDir(CORVANE_TEST_DATA).entryList({"*.f90"}, QDir::Files);
    ASSERT_GE(sources.size(), 8);
    for (const QString &name : sources) {
        SCOPED_TRACE(name.toStdString());
        const QString text = QString::fromUtf8(test::readFile(dataPath(name)));
        const ColourScanner scanner(testVocabulary(), name.startsWith("fixed_"));
        const QList<Span> spans = scanner.colourText(text);
        const QString got = describe(text, spans);
        const QString goldenPath = dataPath(QString(name).replace(".f90", ".spans"));
        if (update)
            test::writeFile(goldenPath, got.toUtf8());
        EXPECT_EQ(QString::fromUtf8(test::readFile(goldenPath)), got);

        // Whatever the text, spans are in order, never overlap, never touch one of their own kind
        // and never cover a line terminator.
        for (qsizetype i = 0; i < spans.size(); ++i) {
            const Span &s = spans[i];
            EXPECT_GT(s.length, 0);
            const QString covered = text.mid(s.start, s.length);
            EXPECT_FALSE(covered.contains('\n') || covered.contains('\r')) << s.start;
            if (i > 0) {
                EXPECT_GE(s.start, spans[i - 1].end());
                EXPECT_FALSE(s.start == spans[i - 1].end() && s.kind == spans[i - 1].kind);
            }
        }
    }
}

TEST(ColourScanner, KeywordTypeIgnoresCaseAndPrefersKeywords)
{
    const ColourScanner scanner(testVocabulary());
    const struct {
        const char *word;
        KeywordClass want;
    } cases[] = {
        {"end", Keyword},       {"END", Keyword},  {"eNd", Keyword},   {"sqrt", Intrinsic},
        {"SQRT", Intrinsic},    {"real", Keyword}, // in both lists
        {"endx", NoKeyword},    {"", NoKeyword},   {"a_very_long_name_that_is_no_keyword_at_all_x", NoKeyword},
        {"x", Keyword}, // one letter: looked up, but the scanner never colours it
    };
    for (const auto &c : cases)
        EXPECT_EQ(scanner.keywordType(QString(c.word)), c.want) << c.word;
}

TEST(ColourScanner, LineStartAndFormDecideComments)
{
    const struct {
        const char *line;
        bool fixedForm;
        QList<Span> want;
    } cases[] = {
        {"c end", true, {{0, 5, SpanKind::Comment}}},
        {"c end", false, {{2, 3, SpanKind::Keyword}}},
        {"*", true, {{0, 1, SpanKind::Comment}}},
        {" c end", true, {{3, 3, SpanKind::Keyword}}}, // column 1 only
        {"end!x", false, {{0, 3, SpanKind::Keyword}, {3, 2, SpanKind::Comment}}},
        {"", true, {}},
    };
    for (const auto &c : cases) {
        ColourScanner scanner(testVocabulary(), c.fixedForm);
        QList<Span> got;
        EXPECT_EQ(scanner.colourLine(QString(c.line), LineState::Normal, got), LineState::Normal);
        EXPECT_EQ(got, c.want) << c.line << (c.fixedForm ? " fixed" : " free");
    }
}

// Many unclosed quotes: each string ends at its own line, so the spans are one per line.
TEST(ColourScanner, UnclosedQuotesStayOnTheirLines)
{
    const ColourScanner scanner(testVocabulary());
    const QString text = QString("x = 'open\n").repeated(1000);
    const QList<Span> spans = scanner.colourText(text);
    ASSERT_EQ(spans.size(), 1000);
    EXPECT_EQ(spans.last(), (Span{999 * 10 + 4, 5, SpanKind::String}));
}
