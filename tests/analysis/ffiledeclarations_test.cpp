// Lookups across a file's declarations and the file dump.
#include "analysis/ffiledeclarations.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace
{

template <typename T> std::shared_ptr<T> named(const QString &name)
{
    auto r = std::make_shared<T>();
    r->name = name;
    return r;
}

// module Geo: variable Origin, type Point (component X), procedure Move (variable Dx, type Step
// with component N); external subroutine Main_Loop with variable Count and type Cell (component V).
FFileDeclarations sample()
{
    FFileDeclarations f;
    f.name = "/src/lib/geo.f90";
    auto geo = named<FProgramUnit>("Geo");
    geo->pUnitType = ModuleType;
    storeDeclaration(geo->variables, "Origin", named<FVariable>("Origin"));
    auto point = named<FDerivedType>("Point");
    storeDeclaration(point->variables, "X", named<FVariable>("X"));
    storeDeclaration(geo->types, "Point", point);
    auto move = named<FProgramUnit>("Move");
    move->pUnitType = SubroutineType;
    storeDeclaration(move->variables, "Dx", named<FVariable>("Dx"));
    auto step = named<FDerivedType>("Step");
    storeDeclaration(step->variables, "N", named<FVariable>("N"));
    storeDeclaration(move->types, "Step", step);
    storeDeclaration(geo->procedures, "Move", move);
    storeDeclaration(f.modules, "Geo", geo);

    auto loop = named<FProgramUnit>("Main_Loop");
    loop->pUnitType = SubroutineType;
    storeDeclaration(loop->variables, "Count", named<FVariable>("Count"));
    auto cell = named<FDerivedType>("Cell");
    storeDeclaration(cell->variables, "V", named<FVariable>("V"));
    storeDeclaration(loop->types, "Cell", cell);
    storeDeclaration(f.nonModuleProcedures, "Main_Loop", loop);
    return f;
}

QString nameOf(const std::shared_ptr<FVariable> &v)
{
    return v ? v->name : QStringLiteral("<none>");
}

QString nameOf(const std::shared_ptr<FDerivedType> &t)
{
    return t ? t->name : QStringLiteral("<none>");
}

} // namespace

TEST(FFileDeclarations, NameLists)
{
    const FFileDeclarations f = sample();
    EXPECT_EQ(f.moduleNames(), QStringList{"geo"});
    EXPECT_EQ(f.nonModuleProcedureNames(), QStringList{"main_loop"});
    EXPECT_FALSE(FFileDeclarations().moduleNames().has_value());

    EXPECT_EQ(f.procedureNamesForModule("GEO"), QStringList{"Move"});
    EXPECT_FALSE(f.procedureNamesForModule("nowhere").has_value());
    EXPECT_FALSE(f.procedureNamesForModule(QString()).has_value());

    EXPECT_EQ(f.variableNamesForProcedure("move", "geo"), QStringList({"Origin", "Dx"}));
    EXPECT_EQ(f.variableNamesForProcedure(QString(), "geo"), QStringList{"Origin"});
    EXPECT_EQ(f.variableNamesForProcedure("main_loop", QString()), QStringList{"Count"});
    // An unknown module gives an absent result, not an empty list.
    EXPECT_FALSE(f.variableNamesForProcedure("move", "nowhere").has_value());
    EXPECT_FALSE(f.variableNamesForProcedure(QString(), QString()).has_value());
}

TEST(FFileDeclarations, ScopedLookups)
{
    const FFileDeclarations f = sample();
    const QString none;
    struct Case {
        const char *what;
        QString name, procedure, module, type;
        QString want;
    };
    const Case variables[] = {
        {"module variable", "origin", none, "geo", none, "Origin"},
        {"procedure of module", "DX", "move", "geo", none, "Dx"},
        {"module variable not seen from procedure", "origin", "move", "geo", none, "<none>"},
        {"non-module procedure", "count", "main_loop", none, none, "Count"},
        {"neither scope", "count", none, none, none, "<none>"},
        {"null name", none, "main_loop", none, none, "<none>"},
        {"component in module type", "x", none, "geo", "point", "X"},
        {"component in procedure type", "n", "move", "geo", "STEP", "N"},
        {"component in external procedure type", "v", "main_loop", none, "cell", "V"},
        {"unknown type", "x", none, "geo", "cell", "<none>"},
    };
    for (const auto &c : variables) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(nameOf(f.variableNamed(c.name, c.procedure, c.module, c.type)), c.want);
        if (c.type.isNull()) {
            EXPECT_EQ(nameOf(f.variableNamed(c.name, c.procedure, c.module)), c.want);
        }
    }
    EXPECT_EQ(nameOf(f.derivedTypeNamed("point", none, "geo")), "Point");
    EXPECT_EQ(nameOf(f.derivedTypeNamed("step", "move", "geo")), "Step");
    EXPECT_EQ(nameOf(f.derivedTypeNamed("cell", "main_loop", none)), "Cell");
    EXPECT_EQ(nameOf(f.derivedTypeNamed("cell", none, none)), "<none>");

    EXPECT_EQ(f.procedureNamed("MOVE", "geo")->name, "Move");
    EXPECT_EQ(f.procedureNamed("main_loop", none)->name, "Main_Loop");
    EXPECT_EQ(f.procedureNamed("move", none), nullptr);
    EXPECT_EQ(f.moduleNamed("Geo")->name, "Geo");
}

TEST(FFileDeclarations, DescriptionNamesTheFileAndDumpsEachUnit)
{
    EXPECT_EQ(FFileDeclarations().description(), "\n\nProcedures and variables in file: (null)\n");
    FFileDeclarations f;
    f.name = "/a/b/x.f90";
    auto m = named<FProgramUnit>("m");
    m->pUnitType = ModuleType;
    storeDeclaration(f.modules, "m", m);
    auto p = named<FProgramUnit>("p");
    p->pUnitType = MainProgramType;
    storeDeclaration(f.nonModuleProcedures, "p", p);
    EXPECT_EQ(f.description(), "\n\nProcedures and variables in file: x.f90\n"
                               "\nModules: \n\tModule m\n\t*********************\n\n"
                               "\nNon Module Procedures: \n"
                               "\n*********************\nProgram p\n\t*********************\n\n");
}
