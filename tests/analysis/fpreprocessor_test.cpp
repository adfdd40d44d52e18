// The preprocessor against gfortran's own (gfortran -cpp -E -P, run in the test when installed),
// plus what the compiler's output cannot show: the line map, cycles, missing files.
#include "analysis/fpreprocessor.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace corvane;

namespace
{

struct DirectiveCase {
    const char *name;
    const char *source;           // main.F90
    QMap<QString, QString> files; // other files, relative to the main file's folder
    QStringList flags;            // -D, -U and -I as given to the compiler
    const char *want;             // the non-blank output lines
};

// Blank lines are where the compiler's -P output and ours differ (it drops runs of them, we keep
// one per directive line for the line map), so both sides are compared without them and without
// trailing blanks.
QString nonBlankLines(const QString &text)
{
    QStringList kept;
    for (QString line : text.split(u'\n')) {
        while (!line.isEmpty() && line.back().isSpace())
            line.chop(1);
        if (!line.isEmpty())
            kept.append(line);
    }
    return kept.join(u'\n');
}

FPreprocessor::Options optionsFor(const QStringList &flags, const QMap<QString, QString> &files)
{
    FPreprocessor::Options options;
    for (const QString &flag : flags) {
        if (flag.startsWith(u"-D"))
            options.defines.append(FPreprocessor::defineFromFlag(QStringView(flag).mid(2)));
        else if (flag.startsWith(u"-U"))
            options.undefines.append(flag.mid(2));
        else if (flag.startsWith(u"-I"))
            options.includeFolders.append(flag.mid(2));
    }
    options.readFile = [files](const QString &path) -> std::optional<QString> {
        const auto it = files.constFind(QDir::cleanPath(path));
        if (it == files.constEnd())
            return std::nullopt;
        return *it;
    };
    return options;
}

QString ours(const DirectiveCase &c)
{
    return FPreprocessor::preprocess(QString::fromUtf8(c.source), QStringLiteral("main.F90"),
                                     optionsFor(c.flags, c.files))
        .text;
}

// gfortran's output for the case, or nullopt when gfortran cannot be run.
std::optional<QString> compilers(const DirectiveCase &c, const QString &gfortran)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return std::nullopt;
    auto write = [&](const QString &name, const QString &text) {
        const QString path = dir.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(text.toUtf8());
    };
    write(QStringLiteral("main.F90"), QString::fromUtf8(c.source));
    for (auto it = c.files.constBegin(); it != c.files.constEnd(); ++it)
        write(it.key(), it.value());
    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.start(gfortran, QStringList{"-cpp", "-E", "-P"} + c.flags + QStringList{"main.F90"});
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit)
        return std::nullopt;
    return QString::fromUtf8(p.readAllStandardOutput());
}

const QString kGuardedInclude =
    QStringLiteral("#ifndef GUARD\n#define GUARD\nonce GUARD\n#endif\n");

const DirectiveCase kCases[] = {
    {"object-like macros, not in character literals",
     "#define FOO bar\n  print *, FOO, 'FOO', \"FOO\", FOOD, xFOO\n",
     {},
     {},
     "  print *, bar, 'FOO', \"FOO\", FOOD, xFOO"},
    {"function-like macros keep argument spacing",
     "#define F(x, y) (x + y)\n  f = F(1, 2) + F (3,4)\n  h = F\n",
     {},
     {},
     "  f = (1 +  2) + (3 + 4)\n  h = F"},
    {"a macro naming a function-like macro takes the call after it",
     "#define F(x, y) (x + y)\n#define G F\n  g = G(5,6)\n",
     {},
     {},
     "  g = (5 + 6)"},
    {"self reference stops the expansion",
     "#define SELF SELF + 1\n  s = SELF\n",
     {},
     {},
     "  s = SELF + 1"},
    {"parameters are replaced inside quotes of the body, ## stays",
     "#define S(x) \"x\"\n#define P(x) x##_1\n  print *, S(qq)\n  call P(y)\n",
     {},
     {},
     "  print *, \"qq\"\n  call y##_1"},
    {"an empty comment joins, comments in code go",
     "#define CAT(a,b) a/**/b\n  call CAT(ab,cd)(1)\n  x = 1 /* note */ + 2\n  y = a // b\n",
     {},
     {},
     "  call abcd(1)\n  x = 1  + 2\n  y = a // b"},
    {"a call running over lines",
     "#define F(x, y) (x + y)\n  q = F(1,\n     2)\n  r = 3\n",
     {},
     {},
     "  q = (1 +       2)\n  r = 3"},
    {"wrapping a type-bound procedure name",
     "#define MAYBEWRAP(n) n\n  procedure,private :: MAYBEWRAP(json_add)\n",
     {},
     {},
     "  procedure,private :: json_add"},
    {"#if with defined, arithmetic and logic",
     "#define FOO 1\n#if defined(FOO) && (1+2*3 == 7) || 0\n ok1\n#elif 1\n no\n#else\n "
     "no\n#endif\n"
     "#if 10/3 == 3 && -1 < 0 && 5 % 3 == 2 && (1 ? 2 : 3) == 2 && ~0 == -1 && 1 << 3 == 8\n ok2\n"
     "#endif\n#if 0x10 == 16 && 010 == 8 && !defined BAR && UNDEFINED == 0\n ok3\n#endif\n"
     "#if FOO > 1\n no\n#elif FOO - 1\n no\n#elif defined FOO\n ok4\n#else\n no\n#endif\n",
     {},
     {},
     " ok1\n ok2\n ok3\n ok4"},
    {"nested conditionals inside an inactive branch",
     "#ifdef NOPE\n#ifndef X\n a\n#else\n b\n#endif\n c\n#elif defined NOPE2 || !defined(V)\n d\n"
     "#else\n e V\n#endif\n#ifndef NOPE\n f\n#endif\n",
     {},
     {"-DV=5"},
     " e 5\n f"},
    {"-D and -U from the flags",
     "#ifdef REAL128\n real128\n#endif\n K W\n",
     {},
     {"-DREAL128", "-DK=kind(1.0d0)", "-DW", "-UREAL128"},
     " kind(1.0d0) 1"},
    {"#undef and redefinition",
     "#define A 1\n a A\n#undef A\n b A\n#define A 2\n c A\n",
     {},
     {},
     " a 1\n b A\n c 2"},
    {"directive continuation",
     "#define LONG a + \\\n  b\n  z = LONG\n#if 1 && \\\n 0\n no\n#endif\n",
     {},
     {},
     "  z = a +   b"},
    {"__LINE__ and __FILE__, also in an include",
     "  i = __LINE__\n  print *, __FILE__\n#include \"sub/x.inc\"\n  j = __LINE__\n",
     {{"sub/x.inc", "#include \"y.inc\"\nsub_x __LINE__\n"},
      {"sub/y.inc", "y __FILE__ __LINE__\n"}},
     {},
     "  i = 1\n  print *, \"main.F90\"\ny \"sub/y.inc\" 1\nsub_x 2\n  j = 4"},
    {"include folders: <> searches only them, \"\" the including folder first",
     "#include \"a.inc\"\n#include <a.inc>\n#include <b.inc>\n",
     {{"a.inc", "here\n"}, {"inc/a.inc", "from_inc\n"}, {"inc/b.inc", "b_from_inc\n"}},
     {"-Iinc"},
     "here\nfrom_inc\nb_from_inc"},
    {"macros from an include and a guarded include read twice",
     "#include \"g.inc\"\n#include \"g.inc\"\n  x = GUARD\n",
     {{"g.inc", kGuardedInclude}},
     {},
     "once\n  x ="},
    {"inactive text is dropped, other directives leave nothing",
     "#if 0\n use ifcore\n#endif\n#warning careful\n a\n",
     {},
     {},
     " a"},
};

TEST(FPreprocessor, MatchesTheCompilersPreprocessor)
{
    const QString gfortran = QStandardPaths::findExecutable(QStringLiteral("gfortran"));
    for (const DirectiveCase &c : kCases) {
        SCOPED_TRACE(c.name);
        const QString got = nonBlankLines(ours(c));
        EXPECT_EQ(got.toStdString(), std::string(c.want));
        if (gfortran.isEmpty())
            continue;
        const std::optional<QString> reference = compilers(c, gfortran);
        ASSERT_TRUE(reference.has_value());
        EXPECT_EQ(got.toStdString(), nonBlankLines(*reference).toStdString());
    }
    if (gfortran.isEmpty())
        GTEST_SKIP() << "gfortran not found: compared with the expected texts only";
}

TEST(FPreprocessor, FortranCommentsKeepTheirTextAndNoDirectiveIsLeft)
{
    // The compiler's preprocessor expands in "!" comments, starts a C comment at a "/*" in one and
    // passes #pragma and #ident lines on; a Fortran reader wants the comment as written and no
    // line starting with "#".
    FPreprocessor::Options options;
    const auto r = FPreprocessor::preprocess(
        QStringLiteral(
            "#define FOO foo\n  a = FOO ! FOO /* x\n  b = FOO\n#pragma omp\n#ident \"x\"\n"),
        "m.F90", options);
    EXPECT_EQ(r.text, QStringLiteral("\n  a = foo ! FOO /* x\n  b = foo\n\n\n"));
}

TEST(FPreprocessor, LineMapPointsIntoTheSourceFiles)
{
    const QMap<QString, QString> files{{"src/one.inc", "i1\n#define X 2\ni3 X\n"}};
    const QString source = QStringLiteral(
        "line1\n#include \"one.inc\"\nline3\n#define F(a, b) a\nline5 F(1,\n 2)\nline7\n");
    const auto r = FPreprocessor::preprocess(source, "src/main.F90", optionsFor({}, files));
    ASSERT_EQ(r.files, (QStringList{"src/main.F90", "src/one.inc"}));
    EXPECT_EQ(r.includedFiles, QStringList{"src/one.inc"});
    const QStringList lines = r.text.split(u'\n');
    struct Want {
        const char *text;
        int file, line;
    };
    const Want want[] = {{"line1", 0, 1},   {"i1", 1, 1},    {"", 1, 2},
                         {"i3 2", 1, 3},    {"line3", 0, 3}, {"", 0, 4},
                         {"line5 1", 0, 5}, {"", 0, 6},      {"line7", 0, 7}};
    ASSERT_EQ(r.lineMap.size(), qsizetype(std::size(want)));
    for (qsizetype i = 0; i < r.lineMap.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(lines[i].toStdString(), want[i].text);
        EXPECT_EQ(r.lineMap[i].file, want[i].file);
        EXPECT_EQ(r.lineMap[i].line, want[i].line);
    }
}

TEST(FPreprocessor, IncludeCyclesEndAndMissingFilesArePassedOver)
{
    const QMap<QString, QString> files{{"a.inc", "in_a\n#include \"b.inc\"\n"},
                                       {"b.inc", "in_b\n#include \"a.inc\"\n"}};
    const auto r = FPreprocessor::preprocess(
        QStringLiteral("#include \"a.inc\"\n#include \"missing.inc\"\n#include\nend\n"), "m.F90",
        optionsFor({}, files));
    EXPECT_EQ(nonBlankLines(r.text), QStringLiteral("in_a\nin_b\nend"));
    EXPECT_EQ(r.includedFiles, (QStringList{"a.inc", "b.inc"}));
    EXPECT_EQ(r.lineMap.size(), r.text.count(u'\n'));
}

TEST(FPreprocessor, RunawayExpansionIsBounded)
{
    // Each level doubles the text: 2^40 copies unless the expansion stops.
    QString source;
    source += QStringLiteral("#define A0 x\n");
    for (int i = 1; i <= 40; ++i)
        source += QStringLiteral("#define A%1 A%2 A%2\n").arg(i).arg(i - 1);
    source += QStringLiteral("y = A40\nz = 1\n");
    const auto r = FPreprocessor::preprocess(source, "m.F90", {});
    EXPECT_TRUE(r.text.endsWith(QStringLiteral("\nz = 1\n")));
    EXPECT_LT(r.text.size(), 4 << 20);
}

TEST(FPreprocessor, OnlyTextWithADirectiveNeedsIt)
{
    EXPECT_TRUE(FPreprocessor::needsPreprocessing(u"#define A\n"));
    EXPECT_TRUE(FPreprocessor::needsPreprocessing(u"a\n#if 1\n"));
    EXPECT_FALSE(FPreprocessor::needsPreprocessing(u"a = 1  # not a directive\n  #define B\n"));
    EXPECT_FALSE(FPreprocessor::needsPreprocessing(u""));
}

// A file's bytes as the index decodes them: UTF-8 without a leading byte order mark, or Latin-1
// when they are not valid UTF-8.
QString decoded(const QByteArray &bytes, bool *latin1)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    *latin1 = utf8.hasError();
    return *latin1 ? QString::fromLatin1(bytes) : text;
}

TEST(FPreprocessor, BytesGiveWhatTheirDecodedTextGives)
{
    const QByteArray longLine = "x = " + QByteArray(200000, 'y') + "\n";
    const struct {
        const char *name;
        QByteArray bytes;
        bool latin1; // whether the bytes are not UTF-8
    } rows[] = {
        {"directives", "#define N 3\nx = N\n#ifdef N\ny = 1\n#else\ny = 2\n#endif\nz\n", false},
        {"continued directives",
         "#define LONG a + \\\n  b\nz = LONG\n#if defined(LONG) && \\\n  1\nw = 1\n#endif\n",
         false},
        {"macro calls continued over lines",
         "#define F(a,b) a*b\nq = F(1,\n  2) + F(x,\n y)\nr = F(3,\n#define G 1\n4)\n", false},
        {"C comments over lines", "#define Q 1\nx = 1 /* a\n b */ + Q\ny = 2 /* c\nd\n*/ Q\n",
         false},
        {"not UTF-8", "#define C 'caf\xe9'\ns = C\nt = '\xff\xfe' ! \xe9\n", true},
        {"overlong and surrogate sequences are not UTF-8",
         "#if 1\na = '\xc0\x80\xed\xa0\x80'\n#endif\n", true},
        {"a sequence cut at the end is not UTF-8", "#define E 1\ne = E '\xe2\x82", true},
        {"byte order mark", "\xEF\xBB\xBF#define A 1\nx = A\n", false},
        {"byte order mark in Latin-1 text", "\xEF\xBB\xBF#define A 1\nx = A '\xe9'\n", true},
        {"byte order mark inside the text", "#define A 1\n\xEF\xBB\xBFx = A\n", false},
        {"multi-byte characters",
         "#define G gr\xc3\xb6\xc3\x9f"
         "e\nG = '\xc3\xbc\xe2\x82\xac\xf0\x9d\x84\x9e' ! G \xe2\x88\x91\n"
         "h = G\n",
         false},
        {"a final line without a line break", "#define A 2\nx = A", false},
        {"an empty file", "", false},
        {"only line breaks", "\n\n\n", false},
        {"a long line between short ones", "#define Y z\n" + longLine + "a = Y\n" + longLine,
         false},
        {"__LINE__, __FILE__ and an include file",
         "#include \"inc.h\"\nl = __LINE__\nf = __FILE__\nv = V\n#undef V\nv = V\n", false},
    };
    FPreprocessor::Options options = optionsFor({"-DK=8"}, {{"inc.h", "#define V 5\ni = V\n"}});
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        bool latin1 = false;
        const QString text = decoded(row.bytes, &latin1);
        ASSERT_EQ(latin1, row.latin1);
        ASSERT_EQ(QByteArrayView(row.bytes).isValidUtf8(), !latin1);
        const auto want = FPreprocessor::preprocess(text, "main.F90", options);
        const auto got =
            FPreprocessor::preprocess(QByteArrayView(row.bytes), latin1, "main.F90", options);
        EXPECT_EQ(got.text, want.text);
        EXPECT_EQ(got.files, want.files);
        EXPECT_EQ(got.includedFiles, want.includedFiles);
        ASSERT_EQ(got.lineMap.size(), want.lineMap.size());
        for (qsizetype i = 0; i < got.lineMap.size(); ++i) {
            EXPECT_EQ(got.lineMap[i].file, want.lineMap[i].file) << "line " << i;
            EXPECT_EQ(got.lineMap[i].line, want.lineMap[i].line) << "line " << i;
        }
    }
}

TEST(FPreprocessor, DefineFlags)
{
    struct Row {
        const char *flag, *name, *body;
        int parameters; // -1: object-like
    };
    const Row rows[] = {{"NAME", "NAME", "1", -1},
                        {"NAME=", "NAME", "", -1},
                        {"K=kind(1.0)", "K", "kind(1.0)", -1},
                        {"F(x,y)=x+y", "F", "x+y", 2}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.flag);
        const FMacroDefinition m = FPreprocessor::defineFromFlag(QString::fromUtf8(row.flag));
        EXPECT_EQ(m.name, QString::fromUtf8(row.name));
        EXPECT_EQ(m.body, QString::fromUtf8(row.body));
        EXPECT_EQ(m.parameters ? int(m.parameters->size()) : -1, row.parameters);
    }
}

} // namespace
