// The info texts, compared character for character.
#include "analysis/ffileparser.h"
#include "analysis/finfoformatter.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace
{

std::shared_ptr<FFileDeclarations> parse(const QString &text)
{
    FFileParser parser;
    return parser.declarationsInFortranFile("/p/a.f90", text, 1);
}

std::shared_ptr<FVariable> variable(QString name, QString type, bool derived = false)
{
    auto v = std::make_shared<FVariable>();
    v->name = std::move(name);
    v->typeName = std::move(type);
    v->isDerivedType = derived;
    return v;
}

} // namespace

TEST(FInfoFormatter, VariableTexts)
{
    auto x = variable("x", "real");
    EXPECT_EQ(FInfoFormatter::declarationToDisplay(x, "s", QString(), QString(), "a.f90"),
              " Variable Name: \tx\n Type:          \treal\n\n"
              "\n Declared in:\n\tProcedure: s\n\tFile:      a.f90");

    auto full = variable("c", "*");
    full->access = "public";
    full->attributes = QStringList{"pointer", "dimension(:)"};
    full->declaredValue = "null()";
    EXPECT_EQ(FInfoFormatter::declarationToDisplay(full, QString(), "m", "t", "b.f90"),
              " Variable Name: \tc\n Type:          \tCLASS(*)\n Access:        \tpublic\n"
              " Attributes:    \tpointer dimension(:) \n Declared Value:\tnull()\n"
              "\n Declared in:\n\tType:      t\n\tModule:    m\n\tFile:      b.f90");

    EXPECT_EQ(FInfoFormatter::variableInfo(*variable("p", "point", true)),
              " Variable Name: \tp\n Type:          \tpoint\n\n");
    EXPECT_TRUE(FInfoFormatter::declarationToDisplay(FDeclaration(), "s", "m", "t", "f").isNull());
    FTypeboundProc binding;
    EXPECT_EQ(FInfoFormatter::declarationToDisplay(binding, QString(), "m", "t", "f.f90"),
              "Type bound procedure\n Declared in:\n\tType:      t\n\tModule:    m\n"
              "\tFile:      f.f90");
}

TEST(FInfoFormatter, VariableTableAlignment)
{
    auto x = variable("x", "real");
    x->declaredValue = "1.0";
    auto counts = variable("counts", "integer");
    counts->attributes = QStringList{"dimension(3)"};
    QString s;
    FInfoFormatter::appendVariables({x, counts, variable("p", "point", true), variable("q", "*")},
                                    s);
    EXPECT_EQ(s, "\tx       :: real, = 1.0\n"
                 "\tcounts  :: integer, dimension(3)\n"
                 "\tp       :: TYPE(point)\n"
                 "\tq       :: CLASS(*)\n");
    // One blank of padding and the one before "::" (we had the second missing).
    auto self = variable("self", "vec", true);
    self->attributes = QStringList{"intent(in)"};
    QString one;
    FInfoFormatter::appendVariables({self}, one);
    EXPECT_EQ(one, "\tself  :: TYPE(vec), intent(in)\n");
    QString empty;
    FInfoFormatter::appendVariables({}, empty);
    EXPECT_EQ(empty, "");
}

TEST(FInfoFormatter, ProcedureTexts)
{
    const auto d = parse("module m\n use other\ncontains\n"
                         " real(kind=8) function f(a, b)\n  integer, intent(in) :: a\n"
                         "  real :: b\n end function\n"
                         " subroutine e()\n end subroutine\nend module\n");
    const auto m = d->moduleNamed("m");
    const auto f = lookupDeclaration(m->procedures, "f");
    const auto e = lookupDeclaration(m->procedures, "e");
    ASSERT_TRUE(f && e);
    EXPECT_EQ(FInfoFormatter::procedureInfo(*f),
              " Procedure Name:\tf \n Type:          \tFunction\n Return Type:   \treal(kind=8)\n"
              "\n Arguments:     \t(a,b)\n\n Argument Attributes:\n"
              "\ta  :: integer, intent(in)\n\tb  :: real\n\n");
    EXPECT_EQ(FInfoFormatter::procedureInfo(*e),
              " Procedure Name:\te \n Type:          \tSubroutine\n Arguments:     \t()\n"
              "\n Argument Attributes:\n\n");

    FProgramUnit generic;
    generic.name = "g";
    generic.genericName = "gen";
    generic.pUnitType = SubroutineType;
    generic.access = "private";
    generic.modulesUsed = QStringList{"a", "b"};
    EXPECT_EQ(FInfoFormatter::procedureInfo(generic),
              " Procedure Name:\tg (Generic Name: gen)\n Type:          \tSubroutine"
              "\n Access:        \tprivate\n Modules USEed: \n\ta \n\tb");
}

TEST(FInfoFormatter, ModuleAndTypeTexts)
{
    const auto d = parse("module geo\n use base\n real :: x = 1.0\n"
                         " integer, dimension(3) :: counts\n"
                         " type, extends(shape), public :: circle\n  real :: r\n"
                         "  type(point) :: c\n contains\n  procedure :: area => circle_area\n"
                         "  procedure :: grow\n end type\ncontains\n"
                         " subroutine grow(self)\n end subroutine\nend module\n");
    const auto m = d->moduleNamed("geo");
    ASSERT_TRUE(m);
    EXPECT_EQ(FInfoFormatter::declarationToDisplay(m, QString(), QString(), QString(), "g.f90"),
              " Module Name:\tgeo\n Modules USEed: \n\tbase \n Variables:\n"
              "\tx       :: real, = 1.0\n\tcounts  :: integer, dimension(3)\n"
              " Procedures:\n\tgrow\n\n Declared in:\n\tFile:      g.f90");
    const auto circle = lookupDeclaration(m->types, "circle");
    ASSERT_TRUE(circle);
    EXPECT_EQ(FInfoFormatter::derivedTypeInfo(*circle),
              " Type Name:  circle\n Extends:    shape\n" +
                  (circle->access.isNull() ? QString() : " Access:     " + circle->access + "\n") +
                  (circle->attributes ? " Attributes:  " + circle->attributes->join(" ") + "\n\n"
                                      : QString()) +
                  " Variables:\n\n\tr  :: real\n\tc  :: TYPE(point)\n"
                  "\n Type bound procedures:\n\tarea => circle_area\n\tgrow\n\n");

    FProgramUnit bare;
    bare.name = "bare";
    bare.pUnitType = ModuleType;
    bare.access = "public";
    EXPECT_EQ(FInfoFormatter::moduleInfo(bare), " Module Name:\tbare\n Access:\tpublic\n");
}
