// Completion candidates over a small indexed project: statement classes, the word lists, the
// names visible through USE, derived-type components and bindings (also inherited ones), the
// settings, USE cycles, and what closing the list puts into the text.
#include "editor/autocompletemanager.h"
#include "editor/completionoffer.h"
#include "editor/templatetext.h"

#include "analysis/ffileparser.h"
#include "analysis/fprogramunit.h"
#include "project/projectindex.h"
#include "settings/vocabulary.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace
{

const char kBase[] = "module base_m\n"
                     "  implicit none\n"
                     "  type :: point\n"
                     "    real :: px, py\n"
                     "  contains\n"
                     "    procedure :: norm => point_norm\n"
                     "    procedure :: shift => point_shift\n"
                     "  end type\n"
                     "  type, extends(point) :: point3\n"
                     "    real :: pz\n"
                     "    type(point) :: origin\n"
                     "  end type\n"
                     "  integer :: base_count\n"
                     "contains\n"
                     "  real function point_norm(self, p)\n"
                     "    class(point) :: self\n"
                     "    integer :: p\n"
                     "  end function\n"
                     "  subroutine point_shift(self, dx, dy)\n"
                     "    class(point) :: self\n"
                     "    real :: dx, dy\n"
                     "  end subroutine\n"
                     "end module\n";

// "!<here>" is replaced by each case's line; the caret goes to its end.
const char kGeo[] = "module geo\n"
                    "  use base_m\n"
                    "  type :: shape\n"
                    "    type(point3) :: centre\n"
                    "    real :: area_value\n"
                    "  end type\n"
                    "  real :: gravity\n"
                    "contains\n"
                    "  subroutine process_shape(s, n)\n"
                    "    use base_m, only: base_count\n" // also seen through the module's USE
                    "    type(shape) :: s\n"
                    "    integer :: n\n"
                    "    type(point) :: prev\n"
                    "    real :: signal\n"
                    "    !<here>\n"
                    "  end subroutine\n"
                    "  function probe(x) result(y)\n"
                    "    real :: x, y\n"
                    "  end function\n"
                    "end module\n"
                    "subroutine print_report(a)\n"
                    "  real :: a\n"
                    "end subroutine\n"
                    "subroutine outer()\n"
                    "  type :: local_t\n"
                    "    integer :: lk\n"
                    "  end type\n"
                    "  type(local_t) :: lv\n"
                    "  !<there>\n"
                    "end subroutine\n";

class Completion : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QList<MergeInput> inputs;
        for (const auto &[path, text] : {std::pair{"/p/base.f90", kBase}, {"/p/geo.f90", kGeo}}) {
            FFileParser parser;
            inputs.append({path, parser.declarationsInFortranFile(path, text, 1)});
        }
        index = gatherProjectDeclarations(inputs, true);
        engine.setProjectIndex(index);
        engine.setDeclarationsForDisplayedText(index->declarationsForFile("/p/geo.f90"));
    }

    // The offer for line typed at a marker of the geo file, caret at its end.
    std::optional<CompletionOffer> offerFor(const QString &line, const char *marker = "!<here>",
                                            bool isExplicit = false,
                                            const QVariantMap &templates = {}) const
    {
        text = QString::fromLatin1(kGeo);
        const qsizetype at = text.indexOf(QLatin1String(marker));
        text.replace(at, qsizetype(strlen(marker)), line);
        const qsizetype caret = at + line.size();
        return completionOffer(text, caret, isExplicit, engine, scopeAtCaret(text, caret, false),
                               settings, templates);
    }

    QStringList candidates(const QString &line, const char *marker = "!<here>") const
    {
        const auto offer = offerFor(line, marker);
        return offer ? offer->candidates : QStringList{"<no list>"};
    }

    std::shared_ptr<ProjectIndex> index;
    AutocompleteManager engine{Vocabulary::instance(), true};
    CompletionSettings settings;
    mutable QString text;
};

} // namespace

TEST_F(Completion, CandidatesByStatement)
{
    const struct {
        const char *line;
        QStringList want;
        const char *marker = "!<here>";
    } cases[] = {
        // Subroutines in scope and in the project, variables of derived type; no functions,
        // keywords (print) or intrinsic functions (present, product).
        {"call pr", {"prev", "print_report(a = !^)", "process_shape(s = !^,n = !^)"}},
        {"call ra", {"random_init(repeatable = !^, image_distinct = !^)",
                     "random_number(harvest = !^)", "random_seed(size = !^, put = !^, get = !^)"}},
        {"CALL PR", {"prev", "print_report(a = !^)", "process_shape(s = !^,n = !^)"}},
        {"use ", {"base_m", "geo", "IEEE_ARITHMETIC", "IEEE_EXCEPTIONS", "IEEE_FEATURES",
                  "ISO_C_BINDING", "ISO_FORTRAN_ENV"}},
        {"use i", {"<no list>"}},
        {"use is", {"ISO_C_BINDING", "ISO_FORTRAN_ENV"}},
        {"use ba", {"base_m"}},
        // Components and function bindings, inherited ones too; nothing from the word lists.
        {"x = s%", {"area_value", "centre"}},
        {"x = s%centre%", {"norm(p = !^)", "origin", "px", "py", "pz"}},
        {"x = s%centre%p", {"px", "py", "pz"}},
        {"x = s%centre%origin%", {"norm(p = !^)", "px", "py"}},
        {"call s%centre%", {"origin", "shift(dx = !^,dy = !^)"}},
        {"call s%centre%sh", {"shift(dx = !^,dy = !^)"}},
        {"x = s%area_value%", {"<no list>"}},
        {"x = nobody%", {"<no list>"}},
        {"lv%", {"lk"}, "!<there>"}, // a type local to a procedure outside modules
        {"integer, al", {"allocatable"}},
        {"type(po", {"point", "point3"}},
        {"type, ab", {"abstract"}},
        {"end su", {"submodule", "subroutine"}},
        {"module pro", {"procedure"}},
        {"subroutine fo", {"<no list>"}},
        {"class(po", {"point", "point3"}},
        // Executable statements: functions in scope and project, variables, keywords, intrinsics.
        {"y = si", {"sign", "sign(a = !^, b = !^)", "signal", "sin(x = !^)", "sinh(x = !^)",
                    "size", "size(array = !^, dim = !^, kind = !^)"}},
        {"x = gr", {"gravity"}},
        {"x = base_c", {"base_count"}}, // found on two ways, listed once
        {"x = pro", {"probe(x = !^)", "procedure", "product(array = !^, dim = !^, mask = !^)",
                     "program", "protected"}},
        {"if (si", {"sign", "sign(a = !^, b = !^)", "signal", "sin(x = !^)", "sinh(x = !^)",
                    "size", "size(array = !^, dim = !^, kind = !^)"}},
        // An initial value: intrinsic functions and kinds and variables, no keywords.
        {"real :: v = si", {"sign(a = !^, b = !^)", "signal", "sin(x = !^)", "sinh(x = !^)",
                            "size(array = !^, dim = !^, kind = !^)"}},
        {"external pr", {"print_report(a = !^)", "process_shape(s = !^,n = !^)"}},
        // Statement starts (class 0): variables and keywords, no intrinsics.
        {"si", {"sign", "signal", "size"}},
        {"x = s", {"<no list>"}},       // one letter
        {"x = 1 ! call pr", {"<no list>"}}, // in a comment
        {"call ", {"<no list>"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(candidates(c.line, c.marker), c.want);
    }
}

TEST_F(Completion, Settings)
{
    settings.intrinsics = false;
    EXPECT_EQ(candidates("y = si"), QStringList({"sign", "signal", "size"}));
    EXPECT_EQ(candidates("call ra"), QStringList({"<no list>"}));
    settings.keywords = false;
    EXPECT_EQ(candidates("y = si"), QStringList({"signal"}));
    settings.procedures = false;
    EXPECT_EQ(candidates("y = si"), QStringList({"<no list>"}));
    EXPECT_EQ(candidates("use ba"), QStringList({"<no list>"})); // all three off: no list at all
    settings.keywords = true;
    EXPECT_EQ(candidates("x = s%centre%"), QStringList({"<no list>"})); // members need procedures
    EXPECT_EQ(candidates("end su"), QStringList({"submodule", "subroutine"}));
}

TEST_F(Completion, PlainIntrinsicLists)
{
    AutocompleteManager plain(Vocabulary::instance(), false);
    plain.setProjectIndex(index);
    const QString line = "    y = sinh";
    const auto offer = completionOffer(line, line.size(), false, plain, ScopeRecord(), settings,
                                       {});
    ASSERT_TRUE(offer);
    EXPECT_EQ(offer->candidates, QStringList({"sinh(!^)"}));
}

// The offer's range and what closing the list does with it.
TEST_F(Completion, ClosingTheList)
{
    auto offer = offerFor("call pr");
    ASSERT_TRUE(offer);
    EXPECT_EQ(offer->userString, "pr");
    EXPECT_EQ(text.mid(offer->start, offer->length), "pr");
    EXPECT_EQ(offer->numberOfCommonChars, 2); // prev, print_report, process_shape
    EXPECT_FALSE(offer->isDerivedTypeCompletion);

    // Return inserts the candidate and selects the first marker of the line.
    CompletionClose close = closeCompletion(*offer, "print_report(a = !^)",
                                            CompletionMovement::Return, text, {});
    EXPECT_TRUE(close.replace);
    EXPECT_EQ(close.text, "print_report(a = !^)");
    ASSERT_TRUE(close.select);
    EXPECT_EQ(close.select->first, offer->start + 17);
    EXPECT_EQ(close.select->second, 2);
    EXPECT_FALSE(close.reopen);

    // Typing or a click: the user's own "pr" comes back, nothing added (the typed character
    // follows as typed).
    for (auto movement : {CompletionMovement::Other, CompletionMovement::Click}) {
        close = closeCompletion(*offer, "prev", movement, text, {});
        EXPECT_TRUE(close.replace);
        EXPECT_EQ(close.text, "pr");
        EXPECT_FALSE(close.select);
    }

    // Tab: the common prefix, and the list again; with one candidate the candidate whole.
    offer = offerFor("call s%centre%sh");
    ASSERT_TRUE(offer);
    close = closeCompletion(*offer, offer->candidates.first(), CompletionMovement::Tab, text, {});
    EXPECT_EQ(close.text, "shift(dx = !^,dy = !^)");
    EXPECT_FALSE(close.reopen);
    offer = offerFor("y = si");
    ASSERT_TRUE(offer);
    EXPECT_EQ(offer->numberOfCommonChars, 2);
    offer = offerFor("x = s%centre%p");
    ASSERT_TRUE(offer);
    close = closeCompletion(*offer, "py", CompletionMovement::Tab, text, {});
    EXPECT_EQ(close.text, "p");
    EXPECT_TRUE(close.reopen);
}

TEST_F(Completion, AfterPercentTheRangeIsEmpty)
{
    // (we had this bug) the candidate replaced the "%".
    const auto offer = offerFor("x = s%");
    ASSERT_TRUE(offer);
    EXPECT_EQ(offer->userString, "%");
    EXPECT_EQ(offer->length, 0);
    EXPECT_EQ(text[offer->start - 1], u'%');
    EXPECT_TRUE(offer->isDerivedTypeCompletion);
    const CompletionClose accepted =
        closeCompletion(*offer, "centre", CompletionMovement::Return, text, {});
    EXPECT_EQ(accepted.text, "centre");
    const CompletionClose dismissed =
        closeCompletion(*offer, "centre", CompletionMovement::Other, text, {});
    EXPECT_EQ(dismissed.text, "");
    EXPECT_EQ(tentativeText(*offer, "area_value"), "area_value");
}

TEST_F(Completion, PublishedSnapshotOutlivesANewIndex)
{
    // (we had this bug) the engine pointed into records a re-index had freed.
    std::weak_ptr<ProjectIndex> old = index;
    index.reset();
    QList<MergeInput> inputs;
    FFileParser parser;
    inputs.append({"/p/other.f90", parser.declarationsInFortranFile("/p/other.f90",
                                                                    "module other\nend module\n", 1)});
    auto fresh = gatherProjectDeclarations(inputs, true);
    EXPECT_FALSE(old.expired()); // the engine still holds what it reads
    EXPECT_EQ(candidates("x = s%centre%p"), QStringList({"px", "py", "pz"}));
    engine.setProjectIndex(fresh);
    engine.setDeclarationsForDisplayedText(nullptr);
    EXPECT_TRUE(old.expired());
    EXPECT_EQ(candidates("use ot"), QStringList({"other"}));
    EXPECT_EQ(candidates("x = s%centre%p"), QStringList({"<no list>"}));
}

TEST(CompletionUseCycle, EachModuleVisitedOnce)
{
    // Modules that use each other, as text being edited may have them, before indexing cuts
    // the cycle: the searches end.
    FFileParser parser;
    const auto file = parser.declarationsInFortranFile(
        "/p/c.f90",
        "module cyc_a\n use cyc_b\n integer :: in_a\nend module\n"
        "module cyc_b\n use cyc_a\n use cyc_c\nend module\n"
        "module cyc_c\n type :: far_t\n  integer :: far_k\n end type\n"
        " type(far_t) :: far_v\nend module\n"
        "subroutine user()\n use cyc_a\nend subroutine\n",
        1);
    auto index = std::make_shared<ProjectIndex>();
    for (const auto &entry : *file->modules)
        index->projectModulesDictionary.insert(entry.first, entry.second);
    AutocompleteManager engine(Vocabulary(), true);
    engine.setProjectIndex(index);
    engine.setDeclarationsForDisplayedText(file);
    const auto user = file->procedureNamed("user", QString());
    ASSERT_TRUE(user);
    EXPECT_FALSE(engine.variableNamedInUsedModules("missing", *user));
    EXPECT_TRUE(engine.variableNamedInUsedModules("far_v", *user));
    EXPECT_FALSE(engine.typeNamedInUsedModules("missing_t", *user));
    const auto type = engine.derivedTypeForVariableName("far_v", "user", QString());
    ASSERT_TRUE(type);
    EXPECT_EQ(type->name, "far_t");
    EXPECT_FALSE(engine.derivedTypeForChain({"nothing"}, "user", QString()));
}

TEST(CompletionClasses, ByTokens)
{
    const AutocompleteManager engine(Vocabulary(), true);
    const struct {
        const char *statement;
        int want;
    } cases[] = {
        {"", 0},           {"abc", 0},           {"use m", 1},         {"USE m", 1},
        {"external f", 13}, {"x call pr", 6},    {"type", 0},          {"type a", 5},
        {"type(a", 4},     {"type, a", 5},       {"class a", 15},      {"class(a", 4},
        {"class, a", 5},   {"call p", 6},        {"call x%", 9},       {"call x%p", 9},
        {"call x(1)", 0},  {"end s", 11},        {"integer a", 7},     {"real, a", 7},
        {"real :: x = a", 10}, {"real x + a", 10}, {"module p", 2},    {"program p", 3},
        {"block b", 3},    {"x%a", 8},           {"x%", 12},           {"if (a", 14},
        {"elseif (a", 14}, {"else a", 14},       {"y = a", 12},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.statement);
        EXPECT_EQ(int(engine.classifyFortranStatement(QString::fromLatin1(c.statement))), c.want);
    }
}

TEST(CompletionHelpers, CommonLengthAndComponentText)
{
    EXPECT_EQ(commonLength({"prev", "print", "process"}, 2), 2);
    EXPECT_EQ(commonLength({"Print_a", "PRINT_b"}, 2), 6);
    EXPECT_EQ(commonLength({"abc"}, 1), 3);
    EXPECT_EQ(commonLength({"ab", "abcd"}, 1), 2);
    EXPECT_EQ(commonLength({"ab", "abcd"}, 3), 3); // n at least the shortest
    EXPECT_EQ(completionStringForDerivedType("px", "%"), "px");
    EXPECT_EQ(completionStringForDerivedType("px", "a %"), "a % px");
    EXPECT_EQ(completionStringForDerivedType("px", "p"), "ppx");
    EXPECT_EQ(statementForCharRange(QString("a\n \t call pr \nz"), 10, 2), "call pr");
    QStringList sorted{"b", "B", "a", "C"};
    sortCandidates(sorted);
    EXPECT_EQ(sorted, QStringList({"a", "B", "b", "C"}));
}

TEST(CompletionTemplates, NamesAndIndentation)
{
    const QVariantMap templates{{"Do...", "DO !^ \n   !^\nEND DO\n!^"},
                                {"comment", "!\n!---\n! !^\n!---\n!\n!^\n"},
                                {"If...", "IF ( !^ ) THEN\nEND IF\n"}};
    EXPECT_EQ(templateCompletions("do", templates), QStringList({"Do..."}));
    EXPECT_EQ(templateCompletions("", templates), QStringList());
    EXPECT_EQ(templateCompletions("F", templates), QStringList({"If..."}));
    EXPECT_EQ(indentTemplate("DO !^ \n   !^\nEND DO\n!^", "  "),
              "DO !^ \n     !^ \n  END DO \n  !^ ");
    // Comment lines stay at the margin, markers get the indentation, the final line feed goes.
    EXPECT_EQ(indentTemplate("!\n!---\n! !^\n!---\n!\n!^\n", "\t"),
              "!\n!--- \n! !^ \n!--- \n! \n\t!^ ");
    EXPECT_EQ(indentTemplate("! c  \nx\n\ny", "  "), "! c\n  x \n  \n  y ");
    EXPECT_EQ(indentTemplate("  ! c\nx", "  "), "  ! c\n  x ");
    EXPECT_EQ(templateTextForLine(templates, "If...", u"  x"), "IF ( !^ ) THEN\n  END IF ");
    EXPECT_EQ(templateTextForLine(templates, "If...", u"x"), "IF ( !^ ) THEN\nEND IF\n");
    EXPECT_TRUE(templateTextForLine(templates, "None", u"  x").isNull());
}

TEST_F(Completion, ExplicitTemplates)
{
    const QVariantMap templates{{"Do...", "DO !^ \n   !^\nEND DO\n!^"}, {"Dots", "x"}};
    const auto offer = offerFor("do", "!<here>", true, templates);
    ASSERT_TRUE(offer);
    EXPECT_EQ(offer->candidates, QStringList({"Do...", "Dots"}));
    // The caret's line is indented: the template follows it; the caret goes to its start.
    const CompletionClose close =
        closeCompletion(*offer, "Do...", CompletionMovement::Return, text, templates);
    EXPECT_TRUE(close.isTemplate);
    EXPECT_EQ(close.text, "DO !^ \n       !^ \n    END DO \n    !^ ");
    EXPECT_EQ(close.caret, offer->start);
    EXPECT_FALSE(closeCompletion(*offer, "Do...", CompletionMovement::Tab, text, templates).replace);
    EXPECT_FALSE(offerFor("", "!<here>", true, templates));
}
