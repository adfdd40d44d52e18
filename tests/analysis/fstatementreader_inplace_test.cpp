// Statements joined in place: a reader that holds the only reference to its text writes a joined
// statement over the region it came from. Every result a caller can see must be what the reader
// of a shared (never changed) text gives: the statements, the positions after each read, the
// line feeds before each position, the statements read again from saved positions, and the
// parser's declarations with their line numbers.
#include "analysis/declarationjson.h"
#include "analysis/ffileparser.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace
{

struct Read {
    QString statement; // "<none>" for a read that produced none
    qsizetype before = 0;
    qsizetype after = 0;
};

const QString kNone = QStringLiteral("<none>");

// A string of its own with text's characters: nobody shares it.
QString unshared(const QString &text)
{
    return QString(text.constData(), text.size());
}

std::vector<Read> readAll(FStatementReader &reader)
{
    std::vector<Read> reads;
    QString buffer;
    while (!reader.scanner.isAtEnd()) {
        const qsizetype before = reader.scanner.location;
        const std::optional<QStringView> s = reader.nextStatementView(buffer);
        reads.push_back({s ? s->toString() : kNone, before, reader.scanner.location});
        if (reader.scanner.location <= before) {
            ADD_FAILURE() << "reader did not advance at " << before;
            break;
        }
    }
    return reads;
}

// Reads text shared and joined in place (from joinFrom characters on) and compares everything.
// Returns the number of statements joined in place.
qsizetype expectSameAsShared(const QString &text, unsigned form, qsizetype joinFrom)
{
    FStatementReader shared, inPlace;
    shared.startReading(text, form);
    inPlace.setJoinInPlaceFrom(joinFrom);
    inPlace.startReading(unshared(text), form);
    const std::vector<Read> want = readAll(shared);
    const std::vector<Read> got = readAll(inPlace);
    EXPECT_EQ(shared.joinedInPlaceCount(), 0);
    EXPECT_EQ(shared.scanner.text, text) << "a shared text was changed";
    EXPECT_EQ(got.size(), want.size());
    const QString &joined = inPlace.scanner.text;
    EXPECT_EQ(joined.size(), text.size());
    for (size_t i = 0; i < std::min(got.size(), want.size()); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(got[i].statement.toStdString(), want[i].statement.toStdString());
        EXPECT_EQ(got[i].before, want[i].before);
        EXPECT_EQ(got[i].after, want[i].after);
        // Line numbers counted in the text up to any position a read stopped at stay right.
        EXPECT_EQ(QStringView(joined).first(got[i].after).count(u'\n'),
                  QStringView(text).first(want[i].after).count(u'\n'));
    }
    EXPECT_EQ(joined.count(u'\n'), text.count(u'\n'));
    // Every statement read again from its saved position, in a changed order: last first.
    QString buffer;
    for (size_t i = got.size(); i-- > 0;) {
        SCOPED_TRACE(i);
        inPlace.scanner.location = got[i].before;
        const std::optional<QStringView> s = inPlace.nextStatementView(buffer);
        EXPECT_EQ((s ? s->toString() : kNone).toStdString(), want[i].statement.toStdString());
        EXPECT_EQ(inPlace.scanner.location, want[i].after);
    }
    // And forwards again, through the string-returning reader.
    inPlace.scanner.location = 0;
    for (size_t i = 0; i < want.size() && !inPlace.scanner.isAtEnd(); ++i) {
        const std::optional<QString> s = inPlace.nextFortranStatement();
        EXPECT_EQ((s ? *s : kNone).toStdString(), want[i].statement.toStdString()) << i;
    }
    return inPlace.joinedInPlaceCount();
}

struct Case {
    const char *name;
    const char *text;
    unsigned form;
    bool joins; // some statement is joined from pieces that do not follow each other
};

constexpr unsigned Free = FStatementReader::FreeForm;
constexpr unsigned Fixed = FStatementReader::FixedForm;

const Case kCases[] = {
    {"free continuation", "x = a + &\n    b\ny = 1\n", Free, true},
    {"both ends marked", "x = a + &\n    & b + &\n  & c\n", Free, true},
    {"comment lines between", "x = a + & ! why\n! one\n  ! two\n\n  & b\nc = 1\n", Free, true},
    {"literal continued", "s = 'abc&\n   &def' // 'g'\nt = 1\n", Free, true},
    {"literal with ! and ;", "s = 'a!b;c' // &\n  'd&\n  &e'; t = 2\n", Free, true},
    {"literal then blanks", "call f('a' , &\n 'b')   \n  x = 1\n", Free, true},
    {"ends at a semicolon", "x = 1 + &\n 2; y = 3 + &\n 4; z = 5\n", Free, true},
    {"ends in a comment", "x = 1 + &\n 2 ! done\ny = 2\n", Free, true},
    {"ends at the end of text", "x = 1 + &\n 2", Free, true},
    {"crlf", "x = a + &\r\n  & b\r\ny = 1\r\n", Free, true},
    {"lone cr", "x = a + &\r  & b\ry = 1\r", Free, true},
    {"header continued",
     "module m\ncontains\nsubroutine s(a, &\n  b, &\n  c)\nend subroutine\nend module\n", Free,
     true},
    {"unclosed literal", "x = 'abc &\n  &def\n y = 2\n", Free, true},
    {"literal with & inside", "x = 'a&b &\n  &c' // 'd'\n", Free, true},
    {"one-line statements", "x = 1\ny = 2 ; z = 3\n", Free, false},
    {"unicode", "größe = 1 + &\n  ça\n", Free, true},
    {"fixed continuation", "      x = 1 +\n     &    2\n      y = 3\n", Fixed, true},
    {"fixed comment lines between",
     "      CALL S(A,\nC     note\n* star\n\n     1       B)\n      END\n", Fixed, true},
    {"fixed column 72",
     "      X = 12345678901234567890123456789012345678901234567890123456789012345\n"
     "     &+ 1 2345678901234567890123456789012345678901234567890123456789012345 SEQ1\n"
     "      Y = 1\n",
     Fixed, true},
    {"fixed label and header",
     "      SUBROUTINE S(A,\n     &B)\n  100 FORMAT (I5,\n     &  I3)\n      END\n", Fixed, true},
    {"fixed comment after the last continuation",
     "      DATA T / 1,\n     &  2 /\nC done\n      DOUBLE PRECISION FUNCTION F(X)\n"
     "      END\n",
     Fixed, true},
    {"fixed empty first piece", "      \n     &X = 1\n", Fixed, false},
    {"fixed crlf", "      x = 1\r\n     &+2\r\n      y = 2\r\n", Fixed, true},
    {"fixed no final line feed", "      x = 1\n     &+2", Fixed, true},
};

} // namespace

TEST(StatementsJoinedInPlace, ReadAsFromASharedText)
{
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.name);
        const QString text = QString::fromUtf8(c.text);
        const qsizetype joined = expectSameAsShared(text, c.form, 1);
        EXPECT_EQ(joined > 0, c.joins);
        // Below the length from which statements are joined in place nothing changes.
        FStatementReader reader;
        reader.startReading(unshared(text), c.form);
        readAll(reader);
        EXPECT_EQ(reader.joinedInPlaceCount(), 0);
        EXPECT_EQ(reader.scanner.text, text);
    }
}

// Joining starts in the middle of a statement: the pieces read so far are first copied, then
// written back into the text.
TEST(StatementsJoinedInPlace, FromTheMiddleOfAStatement)
{
    for (const Case &c : kCases)
        for (const qsizetype from : {3, 8, 20}) {
            SCOPED_TRACE(std::string(c.name) + " from " + std::to_string(from));
            expectSameAsShared(QString::fromUtf8(c.text), c.form, from);
        }
}

TEST(StatementsJoinedInPlace, RandomTextReadsTheSame)
{
    // Pieces chosen to meet at every kind of boundary the free-form reader knows.
    const char *const pieces[] = {"a",   "x1",  " ",   "&", "\n", "\r\n", "!c", "'",  "\"", ";",
                                  "'q'", "&\n", " & ", "(", "=",  "\t",   "<",  "\r", "ä",  "1"};
    const char *const fixedLines[] = {"      X = A +",
                                      "     &  B",
                                      "C comment",
                                      "",
                                      "     1 'LIT",
                                      "   10 Y = 1",
                                      "      ",
                                      "* x",
                                      "     &",
                                      "\tZ = 2",
                                      "     &"
                                      "xxxxxxxxxxxx"
                                      "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"
                                      "xxxxxxxxxxx"};
    quint64 state = 12345;
    auto below = [&state](int n) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return int((state >> 33) % quint64(n));
    };
    for (int round = 0; round < 400; ++round) {
        QString free, fixed;
        for (int i = below(60); i > 0; --i)
            free += QString::fromUtf8(pieces[below(int(std::size(pieces)))]);
        for (int i = below(12); i > 0; --i)
            fixed += QString::fromUtf8(fixedLines[below(int(std::size(fixedLines)))]) + u'\n';
        SCOPED_TRACE(free.toStdString() + "\n----\n" + fixed.toStdString());
        for (const qsizetype from : {1, 5}) {
            expectSameAsShared(free, Free, from);
            expectSameAsShared(fixed, Fixed, from);
        }
        if (HasFailure())
            break;
    }
}

// At the default length: a statement continued over thousands of lines is joined in place, the
// editor's text (shared) never is.
TEST(StatementsJoinedInPlace, LongStatementsAtTheDefaultLength)
{
    QString free = "module t\n  real, parameter :: t(*) = [", fixed = "      DATA T / ";
    for (int i = 0; free.size() < 4 * FStatementReader::kJoinInPlaceFrom; ++i) {
        free += QString::number(i % 97) + (i % 7 == 6 ? ", &\n  ! note\n    & " : ", &\n    ");
        fixed += QString::number(i % 97) + (i % 7 == 6 ? ",\nC note\n     &" : ",\n     &");
    }
    free += "0]\nend module t\n";
    fixed += "0 /\n      END\n";
    EXPECT_EQ(expectSameAsShared(free, Free, FStatementReader::kJoinInPlaceFrom), 1);
    EXPECT_EQ(expectSameAsShared(fixed, Fixed, FStatementReader::kJoinInPlaceFrom), 1);

    const QString editorText = free;
    FStatementReader reader;
    reader.startReading(QString(editorText), Free); // a copy that shares editorText's data
    readAll(reader);
    EXPECT_EQ(reader.joinedInPlaceCount(), 0);
    EXPECT_EQ(editorText, free);
}

// The parser re-reads headers and places units by counting lines in the text: its records and
// line numbers are the same whether statements were joined in place or not.
TEST(StatementsJoinedInPlace, ParserGivesTheSameDeclarations)
{
    const struct {
        const char *name;
        const char *text;
        unsigned form;
    } sources[] = {
        {"free",
         "module m\n  integer :: a, &\n  ! c\n     & b, &\n  c\n  character(*), parameter :: s = "
         "'x&\n"
         "  &y'\n  interface g\n    module procedure p, &\n      q\n  end interface\n"
         "contains\n  subroutine p(x, &\n      y)\n    real :: x, &\n      y\n  end subroutine\n"
         "  function q(z) &\n      result(r)\n    real :: z, r\n  end function\n"
         "  subroutine r(k, &\n     l) ; end subroutine\nend module m\n"
         "subroutine ext(a, &\n   b)\n  use m, only: p, &\n    q\nend subroutine\n",
         Free},
        {"free, END missing before a continued header",
         "module m\ncontains\n  subroutine a(x, &\n   y)\n  subroutine b(u, &\n   v)\n"
         "  end subroutine\nend module\nmodule n\n  real :: t(3) = [1., &\n 2., 3.]\nend module\n",
         Free},
        {"fixed",
         "      SUBROUTINE S(A,\n     &             B)\nC comment\n      REAL A,\n     &     B\n"
         "      END\n      DOUBLE PRECISION FUNCTION D(X,\n     1  Y)\n      DOUBLE PRECISION X,\n"
         "     1  Y\n      D = X\n      END\n      PROGRAM P\n      CALL S(1.0,\n     &  2.0)\n"
         "      END\n",
         Fixed},
    };
    for (const auto &c : sources) {
        SCOPED_TRACE(c.name);
        const QString text = QString::fromUtf8(c.text);
        FFileParser shared, inPlace;
        const QString want =
            declarationsJson(*shared.declarationsInFortranFile("/p/f", text, c.form));
        inPlace.setJoinInPlaceFrom(1);
        const QString got =
            declarationsJson(*inPlace.declarationsInFortranFile("/p/f", unshared(text), c.form));
        EXPECT_GT(inPlace.joinedInPlaceCount(), 0);
        EXPECT_EQ(got.toStdString(), want.toStdString());
        EXPECT_TRUE(want.contains(u"\"line\"")) << "the comparison covers line numbers";
    }
}
