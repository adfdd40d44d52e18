// The parser never fails and never hangs: deep nesting, broken text and random mutations of
// real-looking sources.
#include "parsertesthelper.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>

using namespace corvane;
using namespace corvane::test;

namespace
{

QString readData(const QString &name)
{
    QFile f(QStringLiteral(CORVANE_TEST_DATA "/") + name);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << qPrintable(name);
    return QString::fromUtf8(f.readAll());
}

// Depth of the chain of contained procedures below unit.
int chainDepth(const FProgramUnit &unit)
{
    int depth = 0;
    const FProgramUnit *u = &unit;
    while (u->procedures && !u->procedures->isEmpty()) {
        u = u->procedures->begin()->second.get();
        ++depth;
    }
    return depth;
}

// One random edit of the kinds an editor buffer goes through while being typed or damaged.
void mutate(QString &text, QRandomGenerator &rng)
{
    if (text.isEmpty()) {
        text = QStringLiteral("&");
        return;
    }
    const qsizetype pos = rng.bounded(qint64(text.size()));
    switch (rng.bounded(8)) {
    case 0: { // delete a line
        const qsizetype start = text.lastIndexOf(u'\n', pos) + 1;
        qsizetype end = text.indexOf(u'\n', pos);
        text.remove(start, (end < 0 ? text.size() : end + 1) - start);
        break;
    }
    case 1: // cut the text short in the middle of a statement
        text.truncate(pos);
        break;
    case 2:
        text.insert(pos, rng.bounded(2) ? u'\'' : u'"');
        break;
    case 3:
        text.insert(pos, u'&');
        break;
    case 4: { // binary bytes, including NUL and unpaired surrogates
        const char16_t junk[] = {0, 1, 0xD800, 0xDFFF, 0xFFFF, 0x7F, '\r', 0x2028};
        text.insert(pos, QChar(junk[rng.bounded(8)]));
        break;
    }
    case 5: { // duplicate a chunk somewhere else
        const qsizetype len = rng.bounded(qint64(qMin<qsizetype>(200, text.size() - pos)) + 1);
        text.insert(rng.bounded(qint64(text.size())), text.mid(pos, len));
        break;
    }
    case 6:
        text.insert(pos, rng.bounded(2) ? QStringLiteral("(") : QStringLiteral(")"));
        break;
    default: { // a stray keyword
        static const char *const words[] = {
            "contains\n", "end\n", "end module\n", "type ", "interface\n",
            "module x\n", ";",     "=>",           "!",     "::"};
        text.insert(pos, QString::fromLatin1(words[rng.bounded(10)]));
        break;
    }
    }
}

} // namespace

TEST(FFileParserRobustness, TwentyThousandChainedContainsDoNotOverflowTheStack)
{
    // Each module procedure has its own CONTAINS and no END: each collects everything after it.
    const int depth = 20000;
    QString text = QStringLiteral("module deep\ncontains\n");
    for (int i = 0; i < depth; ++i)
        text += QStringLiteral("subroutine s%1(a)\ninteger :: a\ncontains\n").arg(i);
    text += QStringLiteral("end module deep\n");

    auto file = parseFortran(text);
    const auto module = file->moduleNamed("deep");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(chainDepth(*module), depth);
    EXPECT_EQ(module->description().count(QStringLiteral("Subroutine s")), depth);
    EXPECT_EQ(declarationsJson(*file).count(QStringLiteral("\"pUnitType\":2")), depth);
    file.reset(); // freeing the chain must not recurse either
}

TEST(FFileParserRobustness, BrokenTextYieldsWhatWasRecognised)
{
    checkParseCases({
        {"empty file", "", {{"modules", "<absent>"}, {"nonModuleProcedures", "<absent>"}}},
        {"only comments", "! one\n! two\n", {{"modules", "<absent>"}}},
        {"header only", "module", {{"modules", "<absent>"}}},
        {"cut inside the argument list",
         "subroutine s(a, b",
         {{"nonModuleProcedures/s/argumentList", "\"(a,b\""}}},
        {"unclosed literal",
         "module m\ncharacter :: c = 'abc\nreal :: x\n",
         {{"modules/m/variables/c/typeName", "\"character\""}}},
        {"unclosed type and interface",
         "module m\ntype t\ninteger :: a\ninterface swap\nmodule procedure x\n",
         {{"modules/m/types/t/variables/a/typeName", "\"integer\""}}},
        {"unclosed unnamed interface: its body is kept, its declarations stay in it",
         "module m\ninterface\nsubroutine x\nreal :: r\n",
         {{"modules/m/procedures/x/isInterface", "true"},
          {"modules/m/procedures/x/variables/r/typeName", "\"real\""},
          {"modules/m/variables", "<absent>"}}},
        {"statements of punctuation only",
         "module m\n) , = => ( [ ] %\nreal :: ok\nend module\n",
         {{"modules/m/variables/ok/typeName", "\"real\""}}},
        {"CRLF line ends",
         "module m\r\ninteger :: n\r\ncontains\r\nsubroutine s(a)\r\nend subroutine\r\n"
         "end module\r\n",
         {{"modules/m/variables/n/typeName", "\"integer\""},
          {"modules/m/procedures/s/argumentList", "\"(a)\""}}},
        {"Unicode names and comments",
         "module größe ! Größe der Felder\nreal :: längé = 1.0 ! ∑\nend module\n",
         {{"modules/größe/variables/längé/declaredValue", "\"1.0\""}}},
    });
}

TEST(FFileParserRobustness, SeededRandomMutationsNeverCrashOrHang)
{
    const QStringList seeds = {readData("geometry.f90"), readData("legacy.f")};
    QRandomGenerator rng(20261208);
    qint64 slowest = 0;
    int parsed = 0;
    for (int round = 0; round < 3000; ++round) {
        const int which = round % 2;
        QString text = seeds[which];
        const int edits = 1 + rng.bounded(12);
        for (int e = 0; e < edits; ++e)
            mutate(text, rng);
        QElapsedTimer timer;
        timer.start();
        FFileParser parser;
        const auto file = parser.declarationsInFortranFile("/m.f90", text, which == 0 ? 1 : 0);
        ASSERT_NE(file, nullptr);
        // Every path through the records must be walkable.
        const QString dump = file->description();
        const QString json = declarationsJson(*file);
        ASSERT_FALSE(json.isEmpty());
        slowest = qMax(slowest, timer.elapsed());
        ++parsed;
    }
    EXPECT_EQ(parsed, 3000);
    // A bound against hangs (a lost loop spins forever), not a performance goal: the sources are
    // a few kilobytes and parse in well under a millisecond.
    EXPECT_LT(slowest, 5000);
}
