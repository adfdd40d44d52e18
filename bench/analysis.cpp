// Statement reading, tokenizing and classifying over generated Fortran: 50 MB of free-form and
// 50 MB of fixed-form code (set CORVANE_BENCH_MB for another size). The figure to watch is the
// MB/s counter (10^6 source bytes per second of one core) of the free-form benchmark.
// The Parse rows parse 5 MB of free-form code whole, with and without preprocessor directives, to
// show what preprocessing adds: compare PreprocessAndParse with ParseDirectivesAsIs, and
// CheckAndParseNoDirectives with ParseNoDirectives.
#include "analysis/ffileparser.h"
#include "analysis/fincludesplicer.h"
#include "analysis/fpreprocessor.h"
#include "analysis/fstatementreader.h"

#include <benchmark/benchmark.h>

#include <QString>

#include <cstdlib>
#include <random>

using namespace corvane;

namespace
{

qsizetype corpusBytes()
{
    const char *mb = std::getenv("CORVANE_BENCH_MB");
    const int n = mb ? std::atoi(mb) : 50;
    return qsizetype(n > 0 ? n : 50) * 1000 * 1000;
}

// Builds varied source: modules with derived types, declarations, procedures with executable
// statements, comments, literals, continuation lines and ';'-separated statements.
class Generator
{
public:
    explicit Generator(bool fixedForm) : m_fixed(fixedForm) {}

    QString generate(qsizetype bytes)
    {
        QString text;
        text.reserve(bytes + 4096);
        int unit = 0;
        while (text.size() < bytes)
            module(text, unit++);
        return text;
    }

private:
    QString name(const char *stem)
    {
        return QString::fromLatin1(stem) + QString::number(pick(999));
    }
    int pick(int n) { return int(m_random() % unsigned(n)); }

    // One statement; in fixed form long statements are continued in column 6 at column 72.
    void line(QString &text, int indent, const QString &statement)
    {
        if (!m_fixed) {
            text += QString(indent, u' ') + statement + u'\n';
            return;
        }
        QString rest = statement;
        bool first = true;
        while (!rest.isEmpty()) {
            text += first ? QStringLiteral("      ") : QStringLiteral("     &");
            const qsizetype take = qMin<qsizetype>(rest.size(), 66);
            text += rest.left(take) + u'\n';
            rest = rest.mid(take);
            first = false;
        }
    }

    void comment(QString &text, const QString &words)
    {
        text +=
            m_fixed ? QStringLiteral("C ") + words + u'\n' : QStringLiteral("  ! ") + words + u'\n';
    }

    void module(QString &text, int unit)
    {
        const QString mod = QStringLiteral("mod_") + QString::number(unit);
        comment(text, QStringLiteral("Module %1: generated for the benchmark").arg(mod));
        line(text, 0, QStringLiteral("module ") + mod);
        line(text, 2, QStringLiteral("use iso_fortran_env, only: real64, int32"));
        line(text, 2, QStringLiteral("implicit none"));
        line(text, 2, QStringLiteral("private"));
        line(text, 2, QStringLiteral("type, public :: %1").arg(name("point_")));
        line(text, 4, QStringLiteral("real(real64) :: x = 0.0_real64, y = 0.0_real64"));
        line(text, 4, QStringLiteral("integer, dimension(3) :: tags = [1, 2, 3]"));
        line(text, 2, QStringLiteral("end type"));
        line(text, 2,
             QStringLiteral("integer, parameter, public :: %1 = %2")
                 .arg(name("n_"))
                 .arg(pick(1000)));
        line(text, 2,
             QStringLiteral("character(len=*), parameter :: label = 'unit ''%1'' ok'").arg(unit));
        line(text, 0, QStringLiteral("contains"));
        for (int p = 0; p < 6; ++p)
            procedure(text, p);
        line(text, 0, QStringLiteral("end module ") + mod);
    }

    void procedure(QString &text, int p)
    {
        const bool isFunction = p % 2 == 0;
        const QString proc = name(isFunction ? "compute_" : "update_");
        if (isFunction)
            line(text, 2,
                 QStringLiteral("pure real(real64) function %1(a, b, n) result(r)").arg(proc));
        else
            line(text, 2, QStringLiteral("subroutine %1(a, b, n)").arg(proc));
        line(text, 4, QStringLiteral("real(real64), intent(in) :: a(:), b(:)"));
        line(text, 4, QStringLiteral("integer, intent(in) :: n"));
        line(text, 4, QStringLiteral("integer :: i, j"));
        line(text, 4, QStringLiteral("real(real64) :: s, t"));
        comment(text, QStringLiteral("accumulate the weighted sum"));
        for (int k = 0; k < 10; ++k)
            executable(text, k);
        if (isFunction)
            line(text, 4, QStringLiteral("r = s * 2.5_real64"));
        line(text, 2,
             QStringLiteral("end ") +
                 (isFunction ? QStringLiteral("function ") : QStringLiteral("subroutine ")) + proc);
    }

    void executable(QString &text, int k)
    {
        switch ((k + pick(5)) % 6) {
        case 0:
            line(text, 4, QStringLiteral("s = 0.0_real64"));
            line(text, 4, QStringLiteral("do i = 1, n"));
            line(text, 6, QStringLiteral("s = s + a(i) * b(i) - 3.14159 * real(i, real64)**2"));
            line(text, 4, QStringLiteral("end do"));
            break;
        case 1:
            line(text, 4, QStringLiteral("if (s .gt. 1.0e3 .and. n /= 0) then"));
            line(text, 6, QStringLiteral("t = s / real(n, real64)"));
            line(text, 4, QStringLiteral("else if (s < 0) then"));
            line(text, 6, QStringLiteral("t = -s"));
            line(text, 4, QStringLiteral("end if"));
            break;
        case 2:
            if (m_fixed) {
                line(
                    text, 4,
                    QStringLiteral("write (*, '(a, i0, a, f12.6)') 'iteration ', i, ' value ', s"));
            } else {
                text += QStringLiteral("    write (*, '(a, i0, a, f12.6)') 'iteration ', i, &\n"
                                       "          & ' value ', s ! progress\n");
            }
            break;
        case 3:
            if (m_fixed)
                line(text, 4, QStringLiteral("i = 0"));
            else
                text += QStringLiteral("    i = 0; j = n; t = 0.5 * (s + t)\n");
            line(text, 4, QStringLiteral("call accumulate(s, t, [1.0, 2.0, 3.0], flag=.true.)"));
            break;
        case 4:
            if (m_fixed) {
                line(text, 4,
                     QStringLiteral("t = a(1) + a(2) + a(3) + a(4) + a(5) + a(6) + a(7) + a(8) + "
                                    "a(9) + a(10) + a(11)"));
            } else {
                text += QStringLiteral("    t = a(1) + a(2) + a(3) + &\n        a(4) + a(5) + &\n"
                                       "        a(6)\n");
            }
            break;
        default:
            line(text, 4, QStringLiteral("j = merge(i, n - i, mod(i, 2) == 0)"));
            break;
        }
    }

    bool m_fixed;
    std::mt19937 m_random{20261208u};
};

const QString &corpus(bool fixedForm)
{
    static const QString freeText = Generator(false).generate(corpusBytes());
    static const QString fixedText = Generator(true).generate(corpusBytes());
    return fixedForm ? fixedText : freeText;
}

void runCorpus(benchmark::State &state, bool fixedForm, bool tokensAsStrings)
{
    const QString &text = corpus(fixedForm);
    FStatementReader reader;
    QList<QStringView> tokens;
    qint64 statements = 0;
    for (auto _ : state) {
        reader.startReading(text,
                            fixedForm ? FStatementReader::FixedForm : FStatementReader::FreeForm);
        int classes = 0;
        while (!reader.scanner.isAtEnd()) {
            const std::optional<QString> s = reader.nextFortranStatement();
            if (!s)
                continue;
            ++statements;
            if (tokensAsStrings) {
                classes += int(FStatementReader::classifyStatementFromTokens(
                    reader.tokenizer.tokenizeStatement(QStringView(*s))));
            } else {
                FTTokenizer::tokenize(*s, tokens);
                classes += int(FStatementReader::classifyStatementFromTokens(tokens));
            }
        }
        benchmark::DoNotOptimize(classes);
    }
    // The corpus is ASCII: one UTF-16 unit per source byte.
    const double bytes = double(text.size()) * double(state.iterations());
    state.SetBytesProcessed(int64_t(bytes));
    state.counters["MB/s"] = benchmark::Counter(bytes / 1e6, benchmark::Counter::kIsRate);
    state.counters["statements"] = double(statements) / double(state.iterations());
}

void BM_FreeForm(benchmark::State &state)
{
    runCorpus(state, false, false);
}
void BM_FixedForm(benchmark::State &state)
{
    runCorpus(state, true, false);
}
// The same with tokens copied into a QStringList, as tokenizeStatement returns them.
void BM_FreeFormStringTokens(benchmark::State &state)
{
    runCorpus(state, false, true);
}
void BM_FixedFormStringTokens(benchmark::State &state)
{
    runCorpus(state, true, true);
}

void BM_FreeFormReaderOnly(benchmark::State &state)
{
    const QString &text = corpus(false);
    FStatementReader reader;
    for (auto _ : state) {
        reader.startReading(text, FStatementReader::FreeForm);
        qsizetype total = 0;
        while (!reader.scanner.isAtEnd())
            if (const auto s = reader.nextFortranStatement())
                total += s->size();
        benchmark::DoNotOptimize(total);
    }
    const double bytes = double(text.size()) * double(state.iterations());
    state.SetBytesProcessed(int64_t(bytes));
    state.counters["MB/s"] = benchmark::Counter(bytes / 1e6, benchmark::Counter::kIsRate);
}

constexpr qsizetype kParseCorpusBytes = 5 * 1000 * 1000;

const QString &parseCorpus()
{
    static const QString text = Generator(false).generate(kParseCorpusBytes);
    return text;
}

// The parse corpus with directives: two macros at the top and, every 20 lines, the line in an
// #if/#else whose branches differ, one of them calling a function-like macro.
const QString &directiveCorpus()
{
    static const QString text = [] {
        const QStringList lines = parseCorpus().split(u'\n');
        QString out = QStringLiteral("#define WRAP(n) n\n#define FEATURE 2\n");
        out.reserve(parseCorpus().size() * 2);
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i % 20 == 10 && !lines[i].trimmed().isEmpty()) {
                out += QStringLiteral("#if defined(FEATURE) && FEATURE > 1\n") + lines[i] +
                       QStringLiteral("\n#else\n  call WRAP(other)(1)\n#endif\n");
            } else {
                out += lines[i] + u'\n';
            }
        }
        return out;
    }();
    return text;
}

void parse(benchmark::State &state, const QString &text, bool preprocess, bool check)
{
    const FPreprocessor::Options options;
    for (auto _ : state) {
        FFileParser parser;
        QString source = text;
        if (preprocess || (check && FPreprocessor::needsPreprocessing(text)))
            source = FPreprocessor::preprocess(text, QStringLiteral("/b/f.F90"), options).text;
        // The index also looks for INCLUDE lines in every file.
        if (check && FIncludeSplicer::mayHaveIncludeLines(source))
            source = FIncludeSplicer::splice(source, QStringLiteral("/b/f.F90"), {}).text;
        benchmark::DoNotOptimize(parser.declarationsInFortranFile("/b/f.F90", source, 1));
    }
    const double bytes = double(text.size()) * double(state.iterations());
    state.counters["MB/s"] = benchmark::Counter(bytes / 1e6, benchmark::Counter::kIsRate);
}

void BM_ParseDirectivesAsIs(benchmark::State &state)
{
    parse(state, directiveCorpus(), false, false);
}
void BM_PreprocessAndParse(benchmark::State &state)
{
    parse(state, directiveCorpus(), true, false);
}
void BM_PreprocessOnly(benchmark::State &state)
{
    const QString &text = directiveCorpus();
    for (auto _ : state)
        benchmark::DoNotOptimize(FPreprocessor::preprocess(text, "/b/f.F90", {}).text.size());
    state.counters["MB/s"] = benchmark::Counter(
        double(text.size()) * double(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}
void BM_ParseNoDirectives(benchmark::State &state)
{
    parse(state, parseCorpus(), false, false);
}
void BM_CheckAndParseNoDirectives(benchmark::State &state)
{
    parse(state, parseCorpus(), false, true);
}

} // namespace

BENCHMARK(BM_ParseDirectivesAsIs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreprocessAndParse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreprocessOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseNoDirectives)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckAndParseNoDirectives)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FreeForm)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FixedForm)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FreeFormStringTokens)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FixedFormStringTokens)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FreeFormReaderOnly)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
