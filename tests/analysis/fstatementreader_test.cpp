// The statement readers (free and fixed form) and the classifier. Readers are checked through the
// whole sequence of results a caller sees when it loops until the end of the text; "<none>" marks
// a call that produced no statement.
#include "analysis/fstatementreader.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace
{

const QString kNone = QStringLiteral("<none>");

// Reads text to its end as the declaration parser does, failing if a read does not advance.
// A second reader reads the statements as views (index --statements) and must agree; a
// statement of one source line without literals is a view of the source, not a copy.
QStringList readAll(const QString &text, unsigned form)
{
    FStatementReader reader, viewReader;
    reader.startReading(text, form);
    viewReader.startReading(text, form);
    QString buffer;
    QStringList results;
    while (!reader.scanner.isAtEnd()) {
        const qsizetype before = reader.scanner.location;
        const std::optional<QString> s = reader.nextFortranStatement();
        results << (s ? *s : kNone);
        const std::optional<QStringView> v = viewReader.nextStatementView(buffer);
        EXPECT_EQ(v.has_value(), s.has_value()) << "at " << before;
        if (v && s) {
            EXPECT_EQ(v->toString(), *s) << "at " << before;
            const bool inSource = v->data() >= text.constData() &&
                                  v->data() + v->size() <= text.constData() + text.size();
            const QStringView read =
                QStringView(text).sliced(before, reader.scanner.location - before);
            // Literals may drop blanks after them and continuations join lines: those copy.
            const bool oneLine = !read.trimmed().contains(u'\n') && !read.contains(u'&') &&
                                 !read.contains(u'\'') && !read.contains(u'"');
            if (form == FStatementReader::FreeForm && oneLine) {
                EXPECT_TRUE(inSource) << "a one-line statement was copied: " << s->toStdString();
            }
        }
        EXPECT_EQ(viewReader.scanner.location, reader.scanner.location);
        if (reader.scanner.location <= before) {
            ADD_FAILURE() << "reader did not advance at " << before;
            break;
        }
    }
    return results;
}

struct ReadCase {
    const char *name;
    const char *text;
    QStringList statements;
};

void expectRead(const ReadCase &c, unsigned form)
{
    SCOPED_TRACE(c.name);
    const QStringList got = readAll(QString::fromUtf8(c.text), form);
    EXPECT_EQ(got.join(u'\x1f').toStdString(), c.statements.join(u'\x1f').toStdString());
}

} // namespace

TEST(FreeFormReader, Statements)
{
    const ReadCase cases[] = {
        {"two lines", "x = 1\ny = 2\n", {"x = 1", "y = 2"}},
        {"no final line feed", "x = 1\ny = 2", {"x = 1", "y = 2"}},
        {"continuation with comment", "x = a + & ! why\n   & b\n", {"x = a + b"}},
        {"continuation without leading &", "x = a + &\n     b\n", {"x = a + b"}},
        {"blank lines inside continuation", "x = a + &\n\n   \n  & b\n", {"x = a + b"}},
        {"comment lines inside continuation",
         "x = a + &\n! one\n  ! two\n  & b\nc = 1\n",
         {"x = a + b", "c = 1"}},
        {"comment line", "! comment\n", {kNone}},
        {"semicolons", "a = 1; b = 2\n", {"a = 1", "b = 2"}},
        {"repeated semicolons", ";;a = 1;;; b = 2;\n", {"a = 1", "b = 2", kNone}},
        {"trailing comment after literal", "print *, 'x' ! note\n", {"print *, 'x'"}},
        {"trailing comment", "x = 1 ! note\ny = 2\n", {"x = 1 ", "y = 2"}},
        {"literal then semicolon ends the statement", "a = 'x'; b = 2\n", {"a = 'x'", "b = 2"}},
        {"literal then blanks and line end", "a = 'x'  \t\nb = 2\n", {"a = 'x'", "b = 2"}},
        {"literal holding terminators", "s = \"a; b ! c & d\"\n", {"s = \"a; b ! c & d\"", kNone}},
        {"two literals", "print *, 'a', \"b\"\n", {"print *, 'a', \"b\"", kNone}},
        {"literal continued across lines",
         "s = 'abc&\n    &def'\nt = 1\n",
         {"s = 'abcdef'", "t = 1"}},
        {"literal continued twice", "s = 'a&\n&b&\n  &c' // x\n", {"s = 'abc'// x"}},
        {"literal holding & continued", "s = 'a&b &\n  &c'\ny = 1\n", {"s = 'a&b c'", "y = 1"}},
        {"literal continued, blanks after &",
         "s = 'ab&  \n  &cd'\ny = 1\n",
         {"s = 'abcd'", "y = 1"}},
        {"literal continued without leading &",
         "s = 'ab&\n  cd'\ny = 1\n",
         {"s = 'ab  cd'", "y = 1"}},
        {"literal continued, && on the next line",
         "s = 'a&\n  &&b'\ny = 1\n",
         {"s = 'a&b'", "y = 1"}},
        {"unclosed literal runs to the end", "s = 'abc\nx = 1\n", {"s = 'abc\nx = 1\n"}},
        {"lone quote", "'", {"'"}},
        {"leading junk skipped", "  $<&; x = 1\n", {"x = 1"}},
        {"preprocessor line", "#include \"a.h\"\nx = 1\n", {"#include \"a.h\"", "x = 1"}},
        {"empty text", "", {}},
        {"only comments", "! a\n  ! b\n!c", {kNone, kNone, kNone}},
        {"only blanks", "  \n\t\n", {kNone}},
        {"ends inside continuation", "x = a + &", {"x = a + "}},
        {"ends inside continuation after line end", "x = a + &\n", {"x = a + "}},
        {"ends with comment inside continuation", "x = a + &\n! nothing more\n", {"x = a + "}},
        {"ampersand alone", "&", {kNone}},
        {"lone bang", "!", {kNone}},
        {"unicode letters and comment", "größe = 1 ! ça va\nñ = 2\n", {"größe = 1 ", "ñ = 2"}},
        {"statement starting with a letter outside the BMP", "𝑥 = 1\n", {"𝑥 = 1"}},
        {"symbols before a statement skipped", "→ x = 1\n", {"x = 1"}},
    };
    for (const auto &c : cases)
        expectRead(c, FStatementReader::FreeForm);
}

// A file with "\r\n" (or old "\r") line ends reads exactly like one with "\n" ends: no "\r" is
// left in statements, and a line end after a literal still ends the statement.
TEST(FreeFormReader, CarriageReturnLineEnds)
{
    const ReadCase cases[] = {
        {"crlf lines", "x = 1\r\ny = 2\r\n", {"x = 1", "y = 2"}},
        {"crlf continuation", "x = a + &\r\n  & b\r\n", {"x = a + b"}},
        {"crlf after literal", "print *, 'x'\r\ny = 1\r\n", {"print *, 'x'", "y = 1"}},
        {"crlf comment", "! c\r\nz = 1\r\n", {kNone, "z = 1"}},
        {"crlf literal continued", "s = 'ab&\r\n  &cd'\r\n", {"s = 'abcd'", kNone}},
        {"lone cr", "x = 1\ry = 2\r", {"x = 1", "y = 2"}},
    };
    for (const auto &c : cases) {
        expectRead(c, FStatementReader::FreeForm);
        for (const QString &s : readAll(QString::fromUtf8(c.text), FStatementReader::FreeForm))
            EXPECT_FALSE(s.contains(u'\r')) << c.name;
    }
}

TEST(FreeFormReader, AlwaysAdvancesOverGarbage)
{
    const char *const garbage[] = {"\"",      "'abc",    "&&&&",    ";;;",    "!!!",
                                   "$$",      "\r",      "a'",      "x = \"", "\x01\x02",
                                   "&\n&\n&", "' &\n &", "\"\"\"\""};
    for (const char *g : garbage) {
        SCOPED_TRACE(g);
        readAll(QString::fromUtf8(g), FStatementReader::FreeForm); // fails on no progress
        readAll(QString::fromUtf8(g), FStatementReader::FixedForm);
    }
}

// Random text over the characters the readers and the tokenizer treat specially (including a
// split surrogate pair): every read must advance, and nothing may run past a string's end (Qt
// asserts on that in debug builds).
TEST(FreeFormReader, RandomTextIsReadToTheEnd)
{
    const QString alphabet = QStringLiteral("&;!'\"\n\r \t(/)[].:=>%a1Cé𝑥");
    quint32 seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    const FStatementReader classifier;
    for (int round = 0; round < 3000; ++round) {
        QString text;
        const int length = int(next() % 40);
        for (int i = 0; i < length; ++i)
            text += alphabet[qsizetype(next() % quint32(alphabet.size()))];
        for (unsigned form : {FStatementReader::FreeForm, FStatementReader::FixedForm}) {
            SCOPED_TRACE(text.toStdString());
            for (const QString &statement : readAll(text, form)) {
                const QStringList tokens = classifier.tokenizer.tokenizeStatement(statement);
                for (const QString &t : tokens)
                    ASSERT_FALSE(t.isEmpty());
                classifier.classifyStatementFromTokens(tokens);
                // A "\r" survives only inside a literal that spans lines.
                if (form == FStatementReader::FreeForm && statement.contains(u'\r')) {
                    EXPECT_TRUE(statement.contains(u'\'') || statement.contains(u'"'));
                }
            }
        }
    }
}

TEST(FreeFormReader, LongStatementsAndRereading)
{
    // About 1 MB in one statement of 100,000 continuation lines, and in one line.
    QString continued = "x = 0";
    QString expected = "x = 0";
    for (int i = 0; i < 100000; ++i) {
        continued += " + &\n   & a";
        expected += " + a";
    }
    continued += "\ny = 1\n";
    EXPECT_EQ(readAll(continued, FStatementReader::FreeForm), QStringList({expected, "y = 1"}));

    const QString oneLine = "x = " + QString(1 << 20, u'a');
    EXPECT_EQ(readAll(oneLine + "\n", FStatementReader::FreeForm), QStringList{oneLine});

    // The parser saves the position and reads a statement again.
    FStatementReader reader;
    reader.startReading("a = 1\nb = 2\n", FStatementReader::FreeForm);
    EXPECT_EQ(reader.nextFortranStatement(), std::optional<QString>("a = 1"));
    const qsizetype saved = reader.scanner.location;
    EXPECT_EQ(reader.nextFortranStatement(), std::optional<QString>("b = 2"));
    reader.scanner.location = saved;
    EXPECT_EQ(reader.nextFortranStatement(), std::optional<QString>("b = 2"));
    EXPECT_TRUE(reader.scanner.isAtEnd());
    EXPECT_EQ(reader.nextFortranStatement(), std::nullopt);
}

TEST(FixedFormReader, Statements)
{
    const ReadCase cases[] = {
        {"two statements", "      x = 1\n      y = 2\n", {"x = 1", "y = 2"}},
        {"comment lines",
         "C comment\n* star\nc lower\nD debug\nd x\n! bang\n      x = 1\n",
         {"x = 1"}},
        {"continuation", "      x = 1 +\n     &    2\n      y = 3\n", {"x = 1 +    2", "y = 3"}},
        {"continuation with digit", "      call s(a,\n     1       b)\n", {"call s(a,       b)"}},
        {"continuation after comment", "      x = 1 +\nC note\n     &2\n", {"x = 1 +2"}},
        {"blank lines are comments", "      x = 1 +\n\n          \n\t\n     &2\n", {"x = 1 +2"}},
        {"label", "  100 format (i5)\n      end\n", {"format (i5)", "end"}},
        {"columns after 72 ignored",
         "      x = 1234567890123456789012345678901234567890123456789012345678901234567890\n",
         {"x = 12345678901234567890123456789012345678901234567890123456789012"}},
        {"bang after column 1 is text", "      x = 1 ! not a comment\n", {"x = 1 ! not a comment"}},
        {"semicolon and quotes are text", "      a = 'x; b = 2\n", {"a = 'x; b = 2"}},
        {"short lines skipped", "abc\n12345\n      x = 1\n", {"x = 1"}},
        {"no final line feed", "      x = 1\n      end", {"x = 1", "end"}},
        {"first line in continuation column", "     &x = 1\n", {"x = 1"}},
        {"column 6 only starts an empty statement", "     &\n      x = 1\n", {"", "x = 1"}},
        {"tab counts as one column", "\t    &x\n", {"x"}},
        {"empty text", "", {}},
        {"only comments", "C one\nC two\n", {kNone}},
        {"crlf", "      x = 1\r\n     &+2\r\n      y = 2\r\n", {"x = 1+2", "y = 2"}},
        {"lone cr", "      x = 1\r      y = 2\r", {"x = 1", "y = 2"}},
        {"unicode", "      größe = 1 ! ça\n", {"größe = 1 ! ça"}},
    };
    for (const auto &c : cases)
        expectRead(c, FStatementReader::FixedForm);
}

TEST(FixedFormReader, NextStatementStartsWhereThePreviousStopped)
{
    FStatementReader reader;
    const QString text = "      x = 1\n      y = 2\n";
    reader.startReading(text, FStatementReader::FixedForm);
    EXPECT_EQ(reader.nextF77Statement(), std::optional<QString>("x = 1"));
    EXPECT_EQ(reader.scanner.location, text.indexOf("      y"));
    EXPECT_EQ(reader.nextF77Statement(), std::optional<QString>("y = 2"));
    EXPECT_TRUE(reader.scanner.isAtEnd());
}

TEST(FixedFormReader, CommentLineTest)
{
    const struct {
        const char *line;
        bool comment;
    } cases[] = {{"C x", true},  {"c", true},        {"D", true},    {"d x", true},
                 {"* x", true},  {"! x", true},      {"", false},    {" C", false},
                 {"E x", false}, {"      x", false}, {"#if", false}, {"\tc", false}};
    for (const auto &c : cases)
        EXPECT_EQ(FStatementReader::isF77CommentLine(QString::fromUtf8(c.line)), c.comment)
            << c.line;
}

TEST(StatementClassifier, Classes)
{
    using SC = StatementClass;
    const struct {
        const char *statement;
        StatementClass want;
    } cases[] = {
        {"", SC::EmptyStmt},
        {"  ", SC::EmptyStmt},
        {"program main", SC::ProgramStmt},
        {"PROGRAM", SC::ProgramStmt},
        {"module foo", SC::ModuleStmt},
        {"Module Foo", SC::ModuleStmt},
        {"module", SC::OtherStmt},
        {"module procedure foo", SC::OtherStmt},
        {"module function f(x)", SC::FunctionStmt},
        {"module subroutine s()", SC::SubroutineStmt},
        {"function f(x) result(y)", SC::FunctionStmt},
        {"real function f(x)", SC::FunctionStmt},
        {"pure elemental function f(x)", SC::FunctionStmt},
        {"type(t) function g()", SC::FunctionStmt},
        {"double precision function d()", SC::FunctionStmt},
        {"character(len=*) function name()", SC::FunctionStmt},
        {"elemental real function f(x)", SC::FunctionStmt},
        {"integer :: function", SC::FunctionStmt},
        {"recursive subroutine s", SC::SubroutineStmt},
        {"impure elemental subroutine s(a)", SC::SubroutineStmt},
        {"SUBROUTINE S", SC::SubroutineStmt},
        {"recursive", SC::OtherStmt},
        {"block", SC::OtherStmt},
        {"block data init", SC::OtherStmt},
        {"contains", SC::ContainsStmt},
        {"CONTAINS", SC::ContainsStmt},
        {"contains x", SC::OtherStmt},
        {"use iso_fortran_env", SC::UseStmt},
        {"use, intrinsic :: iso_c_binding", SC::UseStmt},
        {"integer, intent(in) :: n", SC::IntrinsicTypeDeclarationStmt},
        {"integer :: function_count", SC::IntrinsicTypeDeclarationStmt},
        {"double precision x", SC::IntrinsicTypeDeclarationStmt},
        {"LOGICAL flag", SC::IntrinsicTypeDeclarationStmt},
        {"character(len=10) :: s", SC::IntrinsicTypeDeclarationStmt},
        {"complex z", SC::IntrinsicTypeDeclarationStmt},
        {"type(point) :: p", SC::TypeDeclarationStmt},
        {"class(shape), intent(in) :: s", SC::TypeDeclarationStmt},
        {"type :: point", SC::TypeDefinitionStmt},
        {"type point", SC::TypeDefinitionStmt},
        {"type, extends(a) :: b", SC::TypeDefinitionStmt},
        {"type, abstract :: shape", SC::TypeDefinitionStmt},
        {"type", SC::OtherStmt},
        {"type is (integer)", SC::TypeIsStmt},
        {"TYPE IS (real)", SC::TypeIsStmt},
        {"class is (t)", SC::OtherStmt},
        {"class default", SC::OtherStmt},
        {"abstract interface", SC::AbstractInterfaceStmt},
        {"ABSTRACT INTERFACE", SC::AbstractInterfaceStmt},
        {"abstract", SC::OtherStmt},
        {"interface", SC::InterfaceStmt},
        {"interface operator(+)", SC::InterfaceStmt},
        {"interface swap", SC::InterfaceStmt},
        {"public :: a, b", SC::AttributeStmt},
        {"PRIVATE", SC::AttributeStmt},
        {"save", SC::AttributeStmt},
        {"data x /1/", SC::AttributeStmt},
        {"bind(c) :: x", SC::AttributeStmt},
        {"dimension a(10)", SC::AttributeStmt},
        {"associate (x => y%z)", SC::AssociateStmt},
        {"format (i5)", SC::FormatStmt},
        {"100 format (i5)", SC::OtherStmt},
        {"end", SC::EndStmt},
        {"END", SC::EndStmt},
        {"end do", SC::EndStmt},
        {"enddo", SC::EndStmt},
        {"end subroutine s", SC::EndStmt},
        {"endtype point", SC::EndStmt},
        {"end submodule", SC::EndStmt},
        {"endsubmodule", SC::OtherStmt},
        {"endblock", SC::OtherStmt},
        {"endfile 10", SC::OtherStmt},
        {"end module foo", SC::EndModuleStmt},
        {"END MODULE", SC::EndModuleStmt},
        {"endmodule", SC::EndModuleStmt},
        {"EndModule foo", SC::EndModuleStmt},
        {"entry e(x)", SC::EntryStmt},
        {"enum, bind(c)", SC::EnumStmt},
        {"enumerator :: red", SC::OtherStmt},
        {"procedure(iface), pointer :: p", SC::ProcedureStmt},
        {"procedure :: area", SC::ProcedureStmt},
        {"x = 1", SC::OtherStmt},
        {"call s(a)", SC::OtherStmt},
        {"#include \"a.h\"", SC::OtherStmt},
        {"include 'a.inc'", SC::OtherStmt},
        {"réal x", SC::OtherStmt},
        {"\u017Fubroutine s", SC::OtherStmt}, // long s: keywords are ASCII only
        {"subroutinesubroutinesubroutine", SC::OtherStmt},
    };
    const FStatementReader reader;
    for (const auto &c : cases) {
        const QString text = QString::fromUtf8(c.statement);
        const StatementClass got = reader.classifyStatement(text);
        EXPECT_EQ(statementClassName(got), statementClassName(c.want)) << c.statement;
        const QStringList tokens = reader.tokenizer.tokenizeStatement(QStringView(text));
        EXPECT_EQ(FStatementReader::classifyStatementFromTokens(tokens), got) << c.statement;
    }
    EXPECT_EQ(reader.classifyStatement(std::optional<QString>()), StatementClass::EmptyStmt);
    EXPECT_EQ(reader.classifyStatement(std::optional<QString>("use m")), StatementClass::UseStmt);
}

TEST(StatementClassifier, ProgramUnitsModuleNatureAndNames)
{
    QSet<QString> names;
    int programUnits = 0;
    for (int i = 0; i <= int(StatementClass::OtherStmt); ++i) {
        const auto c = StatementClass(i);
        names.insert(statementClassName(c));
        programUnits += FStatementReader::isProgramUnitStatement(c) ? 1 : 0;
    }
    EXPECT_EQ(names.size(), 22);
    EXPECT_EQ(programUnits, 4);
    for (StatementClass c : {StatementClass::ProgramStmt, StatementClass::FunctionStmt,
                             StatementClass::SubroutineStmt, StatementClass::ModuleStmt})
        EXPECT_TRUE(FStatementReader::isProgramUnitStatement(c))
            << statementClassName(c).toStdString();
    EXPECT_FALSE(FStatementReader::isProgramUnitStatement(StatementClass::UseStmt));
    EXPECT_EQ(statementClassName(StatementClass::IntrinsicTypeDeclarationStmt),
              "IntrinsicTypeDeclarationStmt");
    EXPECT_EQ(statementClassName(StatementClass::EndModuleStmt), "EndModuleStmt");

    const struct {
        QStringList tokens;
        bool nature;
    } cases[] = {
        {{"use", ",", "intrinsic", "iso_c_binding"}, true},
        {{"use", ",", "non_intrinsic", "mine"}, true},
        {{"USE", ",", "INTRINSIC"}, true},
        {{"use", "iso_c_binding"}, false},
        {{"use", ","}, false},
        {{"use", ";", "intrinsic", "x"}, false},
        {{"use", ",", "intrinsics", "x"}, false},
        {{}, false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FStatementReader::hasModuleNature(c.tokens), c.nature)
            << c.tokens.join(' ').toStdString();
}

TEST(StatementClassifier, KeywordTables)
{
    EXPECT_EQ(FStatementReader::programUnitSet().size(), 5);
    EXPECT_EQ(FStatementReader::prefixSet().size(), 5);
    EXPECT_EQ(FStatementReader::intrinsicTypeSpec().size(), 6);
    EXPECT_EQ(FStatementReader::declarationKeywords().size(), 8);
    EXPECT_EQ(FStatementReader::attributeSpecificationKeywords().size(), 16);
    EXPECT_EQ(FStatementReader::end_stmts().size(), 14);
    // Ordered, with "pointer" listed twice.
    const QStringList &attrs = FStatementReader::type_attr_spec();
    EXPECT_EQ(attrs.size(), 26);
    EXPECT_EQ(attrs.first(), "abstract");
    EXPECT_EQ(attrs.last(), "volatile");
    EXPECT_EQ(attrs.count("pointer"), 2);
    EXPECT_TRUE(FStatementReader::isTerminator(u'&'));
    EXPECT_FALSE(FStatementReader::isTerminator(u'a'));
    EXPECT_TRUE(FStatementReader::isAlphaCharacter(u'é'));
    EXPECT_TRUE(FStatementReader::isAlphaCharacter(u'#'));
    EXPECT_FALSE(FStatementReader::isAlphaCharacter(u'$'));
    EXPECT_FALSE(FStatementReader::isAlphaCharacter(u'&'));
}

// A small module read, tokenized and classified end to end, in both source forms.
TEST(StatementClassifier, WholeFiles)
{
    const char *free = "module shapes\n"
                       "  use, intrinsic :: iso_fortran_env ; implicit none\n"
                       "  type :: circle\n"
                       "     real :: r = 1.0 ! radius\n"
                       "  end type\n"
                       "contains\n"
                       "  pure real function area(c) &\n"
                       "       result(a)\n"
                       "    type(circle), intent(in) :: c\n"
                       "    a = 3.14159 * c%r**2\n"
                       "  end function area\n"
                       "end module shapes\n";
    const char *fixed = "C     a fixed-form unit\n"
                        "      subroutine s(a,\n"
                        "     &             b)\n"
                        "      integer a, b\n"
                        "  10  format(i5)\n"
                        "      end\n";
    const struct {
        const char *text;
        unsigned form;
        QStringList classes;
    } cases[] = {
        {free,
         FStatementReader::FreeForm,
         {"ModuleStmt", "UseStmt", "OtherStmt", "TypeDefinitionStmt",
          "IntrinsicTypeDeclarationStmt", "EndStmt", "ContainsStmt", "FunctionStmt",
          "TypeDeclarationStmt", "OtherStmt", "EndStmt", "EndModuleStmt"}},
        {fixed,
         FStatementReader::FixedForm,
         {"SubroutineStmt", "IntrinsicTypeDeclarationStmt", "FormatStmt", "EndStmt"}},
    };
    for (const auto &c : cases) {
        FStatementReader reader;
        reader.startReading(QString::fromUtf8(c.text), c.form);
        QStringList got;
        while (!reader.scanner.isAtEnd())
            if (const auto s = reader.nextFortranStatement())
                got << statementClassName(reader.classifyStatement(s));
        EXPECT_EQ(got, c.classes) << c.text;
    }
}
