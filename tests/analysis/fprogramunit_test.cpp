// Program unit queries, completion entries and the unit dump.
#include "analysis/fprogramunit.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace
{

std::shared_ptr<FVariable> variable(const QString &name, const QString &type = "real")
{
    auto v = std::make_shared<FVariable>();
    v->name = name;
    v->typeName = type;
    return v;
}

std::shared_ptr<FProgramUnit> unit(unsigned type, const QString &name)
{
    auto u = std::make_shared<FProgramUnit>();
    u->pUnitType = type;
    u->name = name;
    return u;
}

// A procedure with the given header argument list text and argument names.
std::shared_ptr<FProgramUnit> procedure(unsigned type, const QString &name, const QString &list,
                                        const QStringList &args)
{
    auto p = unit(type, name);
    p->argumentList = list;
    if (!list.isNull()) {
        p->arguments.emplace();
        for (const QString &a : args)
            p->arguments->append(variable(a, FVariable::implicitTypeName));
    }
    return p;
}

} // namespace

TEST(CompletionSuffix, Table)
{
    struct Case {
        QString list;
        int count;
        bool show;
        QString want; // null: absent
    };
    const Case cases[] = {
        {"(a,b)", 2, true, "(a = !^,b = !^)"},
        {"(a,b)", 2, false, "(!^, !^)"},
        {"(x)", 1, false, "(!^)"},
        {"()", 0, true, "()"},
        {"()", 0, false, QString()},
        {QString(), 0, true, QString()},
        {QString(), 0, false, QString()},
        {"(a)", 0, true, "(a)"}, // ")" gains its marker only with arguments
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(qPrintable(c.list + (c.show ? " shown" : " hidden")));
        const QString got = completionSuffixForArguments(c.list, c.count, c.show);
        EXPECT_EQ(got.isNull(), c.want.isNull());
        EXPECT_EQ(got, c.want);
    }
}

TEST(FProgramUnit, ProcedureNamesOfTypeUsesGenericNamesAndArgumentSuffixes)
{
    auto m = unit(ModuleType, "geo");
    EXPECT_FALSE(m->procedureNamesOfType(FunctionType, true).has_value());

    storeDeclaration(m->procedures, "Dist", procedure(FunctionType, "Dist", "(x,y)", {"x", "y"}));
    storeDeclaration(m->procedures, "reset", procedure(SubroutineType, "reset", "()", {}));
    storeDeclaration(m->procedures, "tick", procedure(SubroutineType, "tick", QString(), {}));
    auto spec = procedure(SubroutineType, "swap_int", "(a,b)", {"a", "b"});
    spec->genericName = "swap";
    storeDeclaration(m->procedures, "swap_int", spec);

    EXPECT_EQ(m->procedureNamesOfType(FunctionType, true), QStringList{"Dist(x = !^,y = !^)"});
    EXPECT_EQ(m->procedureNamesOfType(FunctionType, false), QStringList{"Dist(!^, !^)"});
    EXPECT_EQ(m->procedureNamesOfType(SubroutineType, true),
              QStringList({"reset()", "tick", "swap(a = !^,b = !^)"}));
    EXPECT_EQ(m->procedureNamesOfType(SubroutineType, false),
              QStringList({"reset", "tick", "swap(!^, !^)"}));
    // Present but empty when no procedure has the type.
    EXPECT_EQ(m->procedureNamesOfType(MainProgramType, true), QStringList());
}

TEST(FProgramUnit, ObjectWithNamePrefersVariablesThenProceduresThenTypes)
{
    auto u = unit(ModuleType, "m");
    EXPECT_TRUE(std::holds_alternative<std::monostate>(u->objectWithName("a")));
    auto t = std::make_shared<FDerivedType>();
    t->name = "A";
    storeDeclaration(u->types, "A", t);
    EXPECT_EQ(std::get<std::shared_ptr<FDerivedType>>(u->objectWithName("a")), t);
    auto p = unit(SubroutineType, "A");
    storeDeclaration(u->procedures, "A", p);
    EXPECT_EQ(std::get<std::shared_ptr<FProgramUnit>>(u->objectWithName("a")), p);
    auto v = variable("A");
    storeDeclaration(u->variables, "A", v);
    EXPECT_EQ(std::get<std::shared_ptr<FVariable>>(u->objectWithName("A")), v);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(u->objectWithName(QString())));
}

TEST(FProgramUnit, NameListsAreAbsentWithoutTheirDictionary)
{
    auto m = unit(ModuleType, "m");
    EXPECT_FALSE(m->variableNames().has_value());
    EXPECT_FALSE(m->procedureNames().has_value());
    EXPECT_FALSE(m->typeNames().has_value());
    m->variables.emplace();
    EXPECT_EQ(m->variableNames(), QStringList());

    auto p = unit(SubroutineType, "Solve");
    storeDeclaration(p->variables, "N", variable("N", "integer"));
    storeDeclaration(m->procedures, "Solve", p);
    EXPECT_EQ(m->procedureNames(), QStringList{"Solve"});
    EXPECT_EQ(m->variableNamesForProcedureNamed("SOLVE"), QStringList{"N"});
    EXPECT_FALSE(m->variableNamesForProcedureNamed("other").has_value());
    // Only modules answer for their procedures.
    auto host = unit(SubroutineType, "host");
    host->procedures = m->procedures;
    EXPECT_FALSE(host->variableNamesForProcedureNamed("solve").has_value());
}

TEST(FProgramUnit, DescriptionFollowsTheFixedLayout)
{
    EXPECT_EQ(unit(NoUnitType, "x")->description(), "");
    EXPECT_EQ(unit(MainProgramType, "p")->description(), "Program p\n\t*********************\n");
    EXPECT_EQ(FProgramUnit::programUnitTypeNames(),
              QStringList({"None", "Module", "Subroutine", "Function", "Main Program",
                           "Submodule"}));

    auto f = procedure(FunctionType, "f", "(x)", {"x"});
    f->returnVariable = variable("r");
    f->modulesUsed = QStringList{"a", "b"};
    storeDeclaration(f->variables, "r", f->returnVariable);
    f->genericName = "g";
    auto t = std::make_shared<FDerivedType>();
    t->name = "t";
    storeDeclaration(f->types, "t", t);
    auto inner = unit(SubroutineType, "s");
    storeDeclaration(f->procedures, "s", inner);

    EXPECT_EQ(f->description(), "Function f\n\t*********************\n"
                                "\tReturn type: \n\nVariable Named: r\n\nType: real\n"
                                "\tArguments: \n"
                                "\t\t\nVariable Named: x\n\nType: (IMPLICIT)\n\n"
                                "\t\tModules used:\n\t\t\ta,\t\t\tb,"
                                "\nDerived types defined: \n\t\nDerived Type Named: t\n\n\t"
                                "\n\tVariables: \n\t\nVariable Named: r\n\nType: real\n\n\t"
                                "\nProcedures: \n\tSubroutine s\n\t*********************\n\n"
                                "Alias: g");
}

TEST(FProgramUnit, DeepNestingDumpsAndFreesWithoutRecursion)
{
    // Chained contained procedures, as text without END statements produces them.
    const int depth = 200000;
    auto top = unit(ModuleType, "m");
    FProgramUnit *host = top.get();
    for (int i = 0; i < depth; ++i) {
        auto p = unit(SubroutineType, QStringLiteral("s%1").arg(i));
        storeDeclaration(host->procedures, p->name, p);
        host = p.get();
    }
    const QString dump = top->description();
    EXPECT_TRUE(dump.startsWith("Module m\n"));
    EXPECT_EQ(dump.count("Subroutine s"), depth);
    EXPECT_TRUE(dump.endsWith(QString("\n").repeated(depth)));
    top.reset(); // must not overflow the stack
}
