#include "build/linescanner.h"
#include "build/parser.h"

#include <gtest/gtest.h>

namespace corvane
{
namespace
{

TEST(Parser, IncludePathTokens)
{
    struct Case {
        const char *name;
        QString flags;
        QStringList want;
    };
    const Case cases[] = {
        {"empty", "", {}},
        {"one flag", "-I/opt/inc", {"-I/opt/inc"}},
        {"two blanks between", "a  b", {"a", "b"}},
        {"quoted with blank", "p \"q r\" s", {"p", "\"q r\"", "s"}},
        {"escaped blank keeps backslash", "x\\ y", {"x\\ y"}},
        {"escaped blank then more", "x\\ y z", {"x\\ y", "z"}},
        {"unclosed quote dropped", "a \"b c", {"a"}},
        {"leading and trailing blanks", "  /a /b  ", {"/a", "/b"}},
        {"quoted without blank", "\"/w/inc\"", {"\"/w/inc\""}},
        {"lone quotation mark opens", "\" x\"", {"\" x\""}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Parser::parseforIncludePaths(c.flags), c.want);
    }
}

TEST(Parser, UnquotedPath)
{
    EXPECT_EQ(Parser::unquotedPath("\"/w/My Inc\""), "/w/My Inc");
    EXPECT_EQ(Parser::unquotedPath("/w/inc"), "/w/inc");
    EXPECT_EQ(Parser::unquotedPath("\""), "\"");
    EXPECT_EQ(Parser::unquotedPath("\"/a"), "\"/a");
}

TEST(LineScanner, TokensOfLine)
{
    struct Case {
        QString line;
        QStringList want;
    };
    const Case cases[] = {
        {"USE Foo, ONLY: bar\n", {"USE", "Foo", "ONLY", "bar"}},
        {"  use, intrinsic :: iso_c_binding\r\n", {"use", "intrinsic", "iso_c_binding"}},
        {"use\tfoo\n", {"use\tfoo"}}, // tabs do not separate
        {"\tuse foo\n", {"use", "foo"}},
        {"include 'common.inc'", {"include", "'common.inc'"}},
        {"   \n", {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line.toStdString());
        EXPECT_EQ(LineScanner::tokensOfLine(c.line), c.want);
    }
}

// Collects the first token of every line a pass hands back.
QStringList pass(LineScanner &scanner, QStringView keyword)
{
    QStringList lines;
    while (!scanner.atEnd()) {
        std::optional<QStringList> tokens = scanner.tokensFromLineWithKeyword(keyword);
        if (!tokens)
            break;
        lines << tokens->join(QLatin1Char('|'));
    }
    return lines;
}

TEST(LineScanner, PassesTakeEachLineOnce)
{
    struct Case {
        const char *name;
        QString text;
        QStringList want;
    };
    const Case cases[] = {
        {"two uses on one line count once", "use a; use b\nx = 1\n", {"use|a;|use|b"}},
        {"any letter case", "USE A\nUse B\n", {"USE|A", "Use|B"}},
        {"substring hit", "call fuse(x)\n", {"call|fuse(x)"}},
        {"last line without break comes back once", "use a\nend", {"use|a", "end"}},
        {"text ending in a break ends cleanly", "use a\nend\n", {"use|a"}},
        {"no hit in empty text", "", {}},
        {"old Mac line ends", "use a\ruse b\r", {"use|a", "use|b"}},
        {"a hit far into a line", "x = 1 + 2 + 3 + 4 + 5 ! then uSe\nend\n",
         {"x|=|1|+|2|+|3|+|4|+|5|!|then|uSe"}},
        {"the keyword ends the text", "x = 1\n            USE", {"USE"}},
        {"the keyword cut off by the end", "x = 1\n            us", {"us"}},
        {"only ASCII letters change case", "\u00daSE u\u017fe @SE [se\n", {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        LineScanner scanner(c.text);
        EXPECT_EQ(pass(scanner, u"use"), c.want);
    }
}

TEST(LineScanner, RewindStartsASecondPass)
{
    LineScanner scanner("include 'a.inc'\nuse m\n");
    EXPECT_EQ(pass(scanner, u"use"), QStringList{"use|m"});
    EXPECT_TRUE(scanner.atEnd());
    scanner.rewind();
    EXPECT_EQ(pass(scanner, u"include"), QStringList{"include|'a.inc'"});
}

} // namespace
} // namespace corvane
