// The scanner steps every diagnostics reader is built on, and the leading-integer rule.
#include "build/textscanner.h"

#include <QString>
#include <gtest/gtest.h>

#include <limits>

using namespace corvane;

namespace
{

std::string str(const std::optional<QStringView> &v)
{
    return v ? v->toString().toStdString() : std::string("<nothing>");
}

TEST(TextScanner, TakeSkipsSpaceAndStopsAtDelimiter)
{
    TextScanner s(u"  \n\tabc:def\n\u2003ghi");
    EXPECT_EQ(str(s.takeUpTo(QLatin1Char(':'))), "abc");
    EXPECT_EQ(s.position(), 7);
    EXPECT_EQ(str(s.takeUpTo(QLatin1Char(':'))),
              "<nothing>"); // delimiter right here: nothing taken
    s.stepOver(1);
    EXPECT_EQ(str(s.takeLine()), "def");
    EXPECT_FALSE(s.atEnd());
    EXPECT_EQ(str(s.takeUpTo(u"zz")),
              "ghi"); // a Unicode em space is skipped; no delimiter: to the end
    EXPECT_TRUE(s.atEnd());
    EXPECT_EQ(str(s.takeLine()), "<nothing>");
    s.stepOver(5); // never past the end
    EXPECT_EQ(s.position(), s.text().size());
}

TEST(TextScanner, LinesAndEnd)
{
    TextScanner s(u"one\r\n\r\n  two\n \n");
    EXPECT_EQ(str(s.takeLine()), "one"); // the carriage return is not part of the line
    s.stepOver(1);
    EXPECT_EQ(str(s.takeLine()), "two"); // empty lines and indentation skipped
    EXPECT_TRUE(s.atEnd());
    EXPECT_TRUE(TextScanner(u"").atEnd());
    EXPECT_TRUE(TextScanner(u" \n\t").atEnd());
}

TEST(TextScanner, LeadingInteger)
{
    const struct {
        const char16_t *text;
        qint64 value;
    } kCases[] = {
        {u"12", 12},    {u"  42abc", 42},
        {u"-7", -7},    {u"+8", 8},
        {u"abc", 0},    {u"", 0},
        {u" 12.7", 12}, {u"3-3", 3},
        {u"- 4", 0},    {u"99999999999999999999999", std::numeric_limits<qint64>::max()},
    };
    for (const auto &c : kCases) {
        SCOPED_TRACE(QString::fromUtf16(c.text).toStdString());
        EXPECT_EQ(leadingInteger(QStringView(c.text)), c.value);
    }
    EXPECT_EQ(leadingNumber(u"-7"), 0u);
    EXPECT_EQ(cutBefore(u"a, b, c", u",").toString(), QStringLiteral("a"));
    EXPECT_EQ(cutBefore(u"abc", u",").toString(), QStringLiteral("abc"));
}

} // namespace
