// Tests of the Fortran vocabulary: the compiled-in word lists, their shape, and reading broken or
// missing property lists.
#include "settings/vocabulary.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <plist/plist.h>

#include "support/testutil.h"

using namespace corvane;

namespace
{

// Every generic intrinsic procedure of Fortran 2018 with the number of its dummy arguments
// (optional ones included, first form where there are several); "S" marks a subroutine.
const char kIntrinsicTable[] = R"(
abs 1 | achar 2 | acos 1 | acosh 1 | adjustl 1 | adjustr 1 | aimag 1 | aint 2 | all 2 |
allocated 1 | anint 2 | any 2 | asin 1 | asinh 1 | associated 2 | atan 1 | atan2 2 | atanh 1 |
atomic_add 3 S | atomic_and 3 S | atomic_cas 5 S | atomic_define 3 S | atomic_fetch_add 4 S |
atomic_fetch_and 4 S | atomic_fetch_or 4 S | atomic_fetch_xor 4 S | atomic_or 3 S |
atomic_ref 3 S | atomic_xor 3 S | bessel_j0 1 | bessel_j1 1 | bessel_jn 2 | bessel_y0 1 |
bessel_y1 1 | bessel_yn 2 | bge 2 | bgt 2 | bit_size 1 | ble 2 | blt 2 | btest 2 | ceiling 2 |
char 2 | cmplx 3 | co_broadcast 4 S | co_max 4 S | co_min 4 S | co_reduce 5 S | co_sum 4 S |
command_argument_count 0 | conjg 1 | cos 1 | cosh 1 | coshape 2 | count 3 | cpu_time 1 S |
cshift 3 | date_and_time 4 S | dble 1 | digits 1 | dim 2 | dot_product 2 | dprod 2 | dshiftl 3 |
dshiftr 3 | eoshift 4 | epsilon 1 | erf 1 | erfc 1 | erfc_scaled 1 | event_query 3 S |
execute_command_line 5 S | exp 1 | exponent 1 | extends_type_of 2 | failed_images 2 |
findloc 6 | floor 2 | fraction 1 | gamma 1 | get_command 4 S | get_command_argument 5 S |
get_environment_variable 6 S | get_team 1 | huge 1 | hypot 2 | iachar 2 | iall 3 | iand 2 |
iany 3 | ibclr 2 | ibits 3 | ibset 2 | ichar 2 | ieor 2 | image_index 2 | image_status 2 |
index 4 | int 2 | ior 2 | iparity 3 | is_contiguous 1 | is_iostat_end 1 | is_iostat_eor 1 |
ishft 2 | ishftc 3 | kind 1 | lbound 3 | lcobound 3 | leadz 1 | len 2 | len_trim 2 | lge 2 |
lgt 2 | lle 2 | llt 2 | log 1 | log10 1 | log_gamma 1 | logical 2 | maskl 2 | maskr 2 |
matmul 2 | max 2 | maxexponent 1 | maxloc 5 | maxval 3 | merge 3 | merge_bits 3 | min 2 |
minexponent 1 | minloc 5 | minval 3 | mod 2 | modulo 2 | move_alloc 4 S | mvbits 5 S |
nearest 2 | new_line 1 | nint 2 | norm2 2 | not 1 | null 1 | num_images 1 | out_of_range 3 |
pack 3 | parity 2 | popcnt 1 | poppar 1 | precision 1 | present 1 | product 3 | radix 1 |
random_init 2 S | random_number 1 S | random_seed 3 S | range 1 | rank 1 | real 2 | reduce 6 |
repeat 2 | reshape 4 | rrspacing 1 | same_type_as 2 | scale 2 | scan 4 | selected_char_kind 1 |
selected_int_kind 1 | selected_real_kind 3 | set_exponent 2 | shape 2 | shifta 2 | shiftl 2 |
shiftr 2 | sign 2 | sin 1 | sinh 1 | size 3 | spacing 1 | spread 3 | sqrt 1 | stopped_images 2 |
storage_size 2 | sum 3 | system_clock 3 S | tan 1 | tanh 1 | team_number 1 | this_image 1 |
tiny 1 | trailz 1 | transfer 3 | transpose 1 | trim 1 | ubound 3 | ucobound 3 | unpack 3 |
verify 4
)";

// Procedures of the intrinsic modules that programs call, checked the same way.
const char kModuleTable[] = R"(
c_associated 2 | c_f_pointer 3 S | c_f_procpointer 2 S | c_funloc 1 | c_loc 1 | c_sizeof 1 |
compiler_options 0 | compiler_version 0 | ieee_class 1 | ieee_copy_sign 2 | ieee_is_finite 1 |
ieee_is_nan 1 | ieee_is_normal 1 | ieee_next_after 2 | ieee_rint 2 |
ieee_selected_real_kind 3 | ieee_set_rounding_mode 2 S | ieee_get_rounding_mode 2 S |
ieee_support_nan 1 | ieee_value 2 | ieee_set_halting_mode 2 S | ieee_get_flag 2 S
)";

struct Intrinsic {
    QString name;
    int arguments = 0;
    bool subroutine = false;
};

QList<Intrinsic> parseTable(const char *table)
{
    QList<Intrinsic> result;
    for (const QString &entry : QString::fromLatin1(table).split('|')) {
        const QStringList parts = entry.simplified().split(' ');
        if (parts.size() < 2) {
            ADD_FAILURE() << "bad table entry: " << entry.toStdString();
            continue;
        }
        result.append({parts[0], parts[1].toInt(), parts.size() > 2 && parts[2] == "S"});
    }
    return result;
}

// The name of a completion string: the text before "(".
QString completionName(const QString &completion)
{
    return completion.left(completion.indexOf('('));
}

// Maps name -> completion string; fails on a name listed twice.
QHash<QString, QString> byName(const QStringList &completions)
{
    QHash<QString, QString> map;
    for (const QString &c : completions) {
        EXPECT_FALSE(map.contains(completionName(c))) << "listed twice: " << c.toStdString();
        map.insert(completionName(c), c);
    }
    return map;
}

const char *const kArrayKeys[] = {
    Vocabulary::KeywordsKey,
    Vocabulary::IntrinsicsKey,
    Vocabulary::IntrinsicCompletionsKey,
    Vocabulary::IntrinsicCompletionsPlainKey,
    Vocabulary::IntrinsicKindsKey,
    Vocabulary::IntrinsicFunctionsKey,
    Vocabulary::IntrinsicFunctionsPlainKey,
    Vocabulary::IntrinsicSubroutinesKey,
    Vocabulary::IntrinsicSubroutinesPlainKey,
};

TEST(Vocabulary, HoldsEveryIntrinsicWithItsArguments)
{
    const Vocabulary &v = Vocabulary::instance();
    const QHash<QString, QString> keyword = byName(v.intrinsicCompletionsArray());
    const QHash<QString, QString> plain = byName(v.intrinsicCompletionsPlainArray());
    const QHash<QString, QString> functions = byName(v.intrinsicFunctions());
    const QHash<QString, QString> subroutines = byName(v.intrinsicSubroutines());

    QList<Intrinsic> all = parseTable(kIntrinsicTable);
    EXPECT_GE(all.size(), 190);
    all += parseTable(kModuleTable);
    for (const Intrinsic &in : all) {
        SCOPED_TRACE(in.name.toStdString());
        EXPECT_TRUE(v.fortranIntrinsics().contains(in.name));
        ASSERT_TRUE(keyword.contains(in.name));
        ASSERT_TRUE(plain.contains(in.name));
        EXPECT_EQ(keyword[in.name].count("!^"), in.arguments) << keyword[in.name].toStdString();
        EXPECT_EQ(plain[in.name].count("!^"), in.arguments) << plain[in.name].toStdString();
        EXPECT_EQ(subroutines.contains(in.name), in.subroutine);
        EXPECT_EQ(functions.contains(in.name), !in.subroutine);
    }
}

TEST(Vocabulary, CompletionsAreWellFormedInBothForms)
{
    // keyword form: name(arg = !^, arg = !^)     plain form: name(!^, !^)     or name()
    const QRegularExpression keywordForm(
        R"(^[a-z][a-z0-9_]*\((?:[a-z][a-z0-9_]* = !\^(?:, [a-z][a-z0-9_]* = !\^)*)?\)$)");
    const QRegularExpression plainForm(R"(^[a-z][a-z0-9_]*\((?:!\^(?:, !\^)*)?\)$)");
    const QRegularExpression argumentName(R"([a-z][a-z0-9_]* = )");
    const Vocabulary &v = Vocabulary::instance();
    const struct {
        const QStringList &keyword;
        const QStringList &plain;
    } pairs[] = {
        {v.intrinsicCompletionsArray(), v.intrinsicCompletionsPlainArray()},
        {v.intrinsicFunctions(), v.intrinsicFunctionsPlain()},
        {v.intrinsicSubroutines(), v.intrinsicSubroutinesPlain()},
    };
    for (const auto &p : pairs) {
        ASSERT_EQ(p.keyword.size(), p.plain.size());
        for (qsizetype i = 0; i < p.keyword.size(); ++i) {
            SCOPED_TRACE(p.keyword[i].toStdString());
            EXPECT_TRUE(keywordForm.match(p.keyword[i]).hasMatch());
            EXPECT_TRUE(plainForm.match(p.plain[i]).hasMatch()) << p.plain[i].toStdString();
            // The plain form is the keyword form without the argument names, in the same place.
            QString stripped = p.keyword[i];
            stripped.remove(argumentName);
            EXPECT_EQ(stripped, p.plain[i]);
        }
    }
    // Functions and subroutines together are exactly the full completion list.
    QStringList together = v.intrinsicFunctions() + v.intrinsicSubroutines();
    QStringList full = v.intrinsicCompletionsArray();
    together.sort();
    full.sort();
    EXPECT_EQ(together, full);
}

TEST(Vocabulary, NineArraysArePresentLowerCaseAndSorted)
{
    const Vocabulary &v = Vocabulary::instance();
    for (const char *key : kArrayKeys) {
        SCOPED_TRACE(key);
        const QStringList &list = v.array(key);
        EXPECT_FALSE(list.isEmpty());
        for (const QString &word : list)
            EXPECT_EQ(word, word.toLower());
        QStringList sorted = list;
        sorted.sort();
        EXPECT_EQ(list, sorted);
        EXPECT_EQ(QSet<QString>(list.begin(), list.end()).size(), list.size()) << "duplicates";
    }
    EXPECT_TRUE(v.array("noSuchKey").isEmpty());
    EXPECT_EQ(&v.intrinsicFunctions(true), &v.intrinsicFunctions());
    EXPECT_EQ(&v.intrinsicFunctions(false), &v.intrinsicFunctionsPlain());
    EXPECT_EQ(&v.intrinsicSubroutines(false), &v.intrinsicSubroutinesPlain());
}

TEST(Vocabulary, KeywordsCoverStatementsAttributesConstructsAndSpecifiers)
{
    const char *const words[] = {
        // statements and constructs
        "program", "module", "submodule", "contains", "subroutine", "function", "end", "enddo",
        "endif", "use", "only", "implicit", "none", "call", "return", "if", "then", "else",
        "elseif", "do", "while", "concurrent", "select", "case", "default", "where", "forall",
        "associate", "block", "critical", "interface", "procedure", "type", "class", "is",
        "allocate", "deallocate", "nullify", "stop", "error", "cycle", "exit", "goto", "sync",
        "images", "lock", "unlock", "event", "post", "wait", "format", "print", "read", "write",
        "open", "close", "inquire", "rewind", "backspace", "endfile", "flush", "namelist", "common",
        "equivalence", "data", "include", "import", "generic", "final", "enum",
        // types and attributes
        "integer", "real", "complex", "logical", "character", "double", "precision", "allocatable",
        "asynchronous", "codimension", "contiguous", "dimension", "external", "intent", "in", "out",
        "inout", "intrinsic", "optional", "parameter", "pointer", "protected", "save", "target",
        "value", "volatile", "public", "private", "bind", "elemental", "pure", "impure",
        "recursive", "non_recursive", "abstract", "extends", "deferred", "nopass", "pass",
        "non_overridable", "sequence", "result",
        // I/O and allocation specifiers
        "unit", "file", "status", "action", "access", "form", "iostat", "iomsg", "newunit",
        "position", "recl", "advance", "fmt", "nml", "err", "eor", "stat", "errmsg", "source",
        "mold"};
    const Vocabulary &v = Vocabulary::instance();
    for (const char *w : words)
        EXPECT_TRUE(v.fortranKeywords().contains(w)) << w;
    const char *const kinds[] = {"int8",   "int16",   "int32", "int64",    "real32",
                                 "real64", "real128", "c_int", "c_double", "c_char"};
    for (const char *k : kinds)
        EXPECT_TRUE(v.intrinsicKinds().contains(k)) << k;
    // The old specific names are coloured but not offered for completion.
    EXPECT_TRUE(v.fortranIntrinsics().contains("dsqrt"));
    EXPECT_TRUE(byName(v.intrinsicCompletionsArray()).value("dsqrt").isNull());
}

TEST(Vocabulary, FixedSetsAndDelimiters)
{
    EXPECT_EQ(Vocabulary::fortranProcedures(),
              (QSet<QString>{"program", "function", "subroutine", "module"}));
    EXPECT_EQ(Vocabulary::fortranProcedureFirstTokens(),
              (QSet<QString>{"program", "function", "subroutine", "module", "integer", "real",
                             "complex", "logical", "character", "double", "type", "elemental",
                             "pure", "recursive"}));

    const DelimiterSet &d = Vocabulary::delimiters();
    const QString in =
        QStringLiteral("(),.<>:=+-*%/'\"!#[] \t\n\r\f\v") + QChar(0x00a0) + QChar(0x2028);
    for (QChar c : in)
        EXPECT_TRUE(d.contains(c)) << "U+" << std::hex << int(c.unicode());
    const QString out = QStringLiteral("aZ09_$&;@?{}|\\~`^") + QChar(0x00e9);
    for (QChar c : out)
        EXPECT_FALSE(d.contains(c)) << "U+" << std::hex << int(c.unicode());
    EXPECT_EQ(DelimiterSet::punctuation().size(), 19);
}

TEST(Vocabulary, InstanceIsTheCompiledInResource)
{
    const Vocabulary &v = Vocabulary::instance();
    EXPECT_FALSE(v.isEmpty());
    EXPECT_EQ(&v, &Vocabulary::instance());
    const Vocabulary again = Vocabulary::fromResource();
    EXPECT_EQ(again.fortranKeywordsArray(), v.fortranKeywordsArray());
    // The checked-in file and the compiled-in copy are the same list.
    const Vocabulary source =
        Vocabulary::fromFile(QStringLiteral(CORVANE_SOURCE_DIR "/resources/keywords.plist"));
    EXPECT_EQ(source.intrinsicCompletionsArray(), v.intrinsicCompletionsArray());
}

// A small property list written by libplist in binary or XML form.
QByteArray makePlist(bool binary)
{
    plist_t dict = plist_new_dict();
    plist_t keywords = plist_new_array();
    plist_array_append_item(keywords, plist_new_string("Program"));
    plist_array_append_item(keywords, plist_new_uint(7)); // not a string: passed over
    plist_array_append_item(keywords, plist_new_string("end"));
    plist_dict_set_item(dict, "keywords", keywords);
    plist_dict_set_item(dict, "intrinsics", plist_new_string("not an array"));
    plist_t kinds = plist_new_array();
    plist_array_append_item(kinds, plist_new_string("int32"));
    plist_dict_set_item(dict, "intrinsicKinds", kinds);
    char *out = nullptr;
    uint32_t length = 0;
    if (binary)
        plist_to_bin(dict, &out, &length);
    else
        plist_to_xml(dict, &out, &length);
    QByteArray bytes(out, qsizetype(length));
    free(out);
    plist_free(dict);
    return bytes;
}

TEST(VocabularyLoading, ReadsXmlAndBinaryAndPassesOverOddEntries)
{
    for (bool binary : {false, true}) {
        SCOPED_TRACE(binary ? "binary" : "xml");
        const Vocabulary v = Vocabulary::fromData(makePlist(binary));
        EXPECT_EQ(v.fortranKeywordsArray(), (QStringList{"Program", "end"}));
        EXPECT_EQ(v.fortranKeywords(), (QSet<QString>{"program", "end"}));
        EXPECT_TRUE(v.fortranIntrinsics().isEmpty());
        EXPECT_EQ(v.intrinsicKinds(), QStringList{"int32"});
        EXPECT_TRUE(v.intrinsicCompletionsArray().isEmpty());
        EXPECT_FALSE(v.isEmpty());
    }
}

TEST(VocabularyLoading, MissingOrUnreadableInputGivesEmptyLists)
{
    QTemporaryDir dir;
    const QByteArray xml = makePlist(false);
    const struct {
        const char *name;
        QByteArray data;
    } cases[] = {
        {"empty", ""},
        {"garbage", "this is not a property list \x01\x02\xff"},
        {"truncated xml", xml.left(xml.size() / 2)},
        {"truncated binary", makePlist(true).left(20)},
        {"root is an array",
         "<?xml version=\"1.0\"?><plist version=\"1.0\"><array><string>do</string></array>"
         "</plist>"},
        {"json", "{\"keywords\": [\"do\"]}"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const Vocabulary v = Vocabulary::fromData(c.data);
        EXPECT_TRUE(v.isEmpty());
        EXPECT_TRUE(v.fortranKeywords().isEmpty());
        for (const char *key : kArrayKeys)
            EXPECT_TRUE(v.array(key).isEmpty()) << key;
        // The fixed sets do not depend on the resource.
        EXPECT_TRUE(v.fortranProcedures().contains("module"));
    }
    EXPECT_TRUE(Vocabulary::fromFile(dir.filePath("missing.plist")).isEmpty());
    EXPECT_TRUE(Vocabulary::fromFile(dir.path()).isEmpty()); // a folder, not a file
}

} // namespace
