// Dumps of variables and derived types, and the merge of completion symbol sets.
#include "analysis/fderivedtype.h"
#include "analysis/fsymbols.h"
#include "analysis/fvariable.h"

#include <gtest/gtest.h>

#include <functional>

using namespace corvane;

namespace
{

std::shared_ptr<FVariable> variable(const QString &name, const QString &type)
{
    auto v = std::make_shared<FVariable>();
    v->name = name;
    v->typeName = type;
    return v;
}

} // namespace

TEST(FVariableDescription, AbsentAndEmptyFieldsDiffer)
{
    struct Case {
        const char *name;
        std::function<void(FVariable &)> setup;
        QString want;
    };
    const Case cases[] = {
        {"bare", [](FVariable &) {}, "\nVariable Named: x\n\nType: real\n"},
        {"value", [](FVariable &v) { v.declaredValue = "1.0"; },
         "\nVariable Named: x\n\nType: real\n\nDeclared Value: 1.0\n"},
        // An empty value is present (it prints), unlike an absent one.
        {"empty value", [](FVariable &v) { v.declaredValue = ""; },
         "\nVariable Named: x\n\nType: real\n\nDeclared Value: \n"},
        {"attributes",
         [](FVariable &v) {
             v.attributes = QStringList{"dimension(10)", "intent(in)"};
         },
         "\nVariable Named: x\n\nType: real\n\nAttributes:\n\tdimension(10)\n\tintent(in)\n"},
        {"empty attribute list", [](FVariable &v) { v.attributes = QStringList(); },
         "\nVariable Named: x\n\nType: real\n\nAttributes:\n"},
        {"absent type", [](FVariable &v) { v.typeName = QString(); },
         "\nVariable Named: x\n\nType: (null)\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        FVariable v;
        v.name = "x";
        v.typeName = "real";
        c.setup(v);
        EXPECT_EQ(v.description(), c.want);
    }
}

TEST(FDerivedType, DescriptionListsEverySection)
{
    FDerivedType t;
    EXPECT_EQ(t.description(), "\nDerived Type Named: (null)\n");
    t.name = "circle";
    t.superclassName = "shape";
    t.attributes = QStringList{"public"};
    storeDeclaration(t.variables, "Radius", variable("Radius", "real"));
    storeDeclaration(t.variables, "c", variable("c", "integer"));
    auto b = std::make_shared<FTypeboundProc>();
    b->name = "circle_area";
    b->bindingName = "area";
    t.typeboundProcedures = QList<std::shared_ptr<FTypeboundProc>>{b};
    EXPECT_EQ(t.description(), "\nDerived Type Named: circle\n"
                               "\nExtends:shape\n"
                               "\nAttributes:\n\tpublic\n"
                               "Variables: \n\t"
                               "\nVariable Named: Radius\n\nType: real\n\n\t"
                               "\nVariable Named: c\n\nType: integer\n\n\t"
                               "Type Bound Procedures: \n\tcircle_area\n\t");
    EXPECT_EQ(t.variableNames(), QStringList({"Radius", "c"}));
    EXPECT_EQ(FDerivedType().variableNames(), QStringList());
}

TEST(FSymbols, AddSymbolsFromMergesOrCopiesButNeverDerivedTypeVariables)
{
    FSymbols a;
    a.variableNames = QSet<QString>{"x"};
    a.functionProcedureNames = QSet<QString>(); // present but empty
    FSymbols b;
    b.variableNames = QSet<QString>{"y"};
    b.typeNames = QSet<QString>{"t"};
    b.subroutineProcedureNames = QSet<QString>(); // empty: copied into nothing
    b.functionProcedureNames = QSet<QString>{"f(!^)"};
    b.variablesThatAreDerivedTypes = QSet<QString>{"y"};

    a.addSymbolsFrom(b);
    EXPECT_EQ(a.variableNames, QSet<QString>({"x", "y"}));
    EXPECT_EQ(a.typeNames, QSet<QString>({"t"}));
    EXPECT_FALSE(a.subroutineProcedureNames.has_value());
    EXPECT_EQ(a.functionProcedureNames, QSet<QString>({"f(!^)"}));
    EXPECT_FALSE(a.variablesThatAreDerivedTypes.has_value());

    // The copy is independent of the source.
    b.typeNames->insert("u");
    EXPECT_EQ(a.typeNames, QSet<QString>({"t"}));
}
