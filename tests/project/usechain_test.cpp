#include "project/usechain.h"

#include <gtest/gtest.h>

namespace corvane
{
namespace
{

using Chains = QList<std::pair<QString, std::optional<QStringList>>>;

TEST(UseChain, OrdersDependenciesDeepestFirst)
{
    struct Case {
        const char *name;
        QList<ModuleUses> modules;
        Chains want;
        bool cycle;
    };
    const Case cases[] = {
        {"chain P-Q-R",
         {{"P", {"Q"}}, {"Q", {"R"}}, {"R", {}}},
         {{"p", QStringList{"R", "Q"}}, {"q", QStringList{"R"}}, {"r", std::nullopt}},
         false},
        {"outside modules ignored",
         {{"a", {"iso_c_binding", "netcdf"}}, {"b", {"A", "mpi"}}},
         {{"a", std::nullopt}, {"b", QStringList{"a"}}},
         false},
        {"diamond lists shared module once",
         {{"top", {"left", "right"}}, {"left", {"base"}}, {"right", {"base"}}, {"base", {}}},
         {{"top", QStringList{"base", "left", "right"}}, {"left", QStringList{"base"}}},
         false},
        {"two-module cycle",
         {{"P", {"Q"}}, {"Q", {"P"}}},
         {{"p", std::nullopt}, {"q", std::nullopt}},
         true},
        {"module using itself", {{"S", {"s"}}}, {{"s", std::nullopt}}, true},
        {"later record replaces earlier",
         {{"M", {"x"}}, {"x", {}}, {"m", {}}},
         {{"m", std::nullopt}},
         false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const UseChain chain(c.modules);
        for (const auto &[name, want] : c.want) {
            SCOPED_TRACE(name.toStdString());
            EXPECT_EQ(chain.usedModuleNamesForModuleNamed(name), want);
            EXPECT_EQ(chain.usedModuleNamesForModuleNamed(name.toUpper()), want);
        }
        EXPECT_EQ(!chain.errorMessage().isNull(), c.cycle);
    }
}

TEST(UseChain, CycleMessage)
{
    // P fails first without a message of its own; Q's message, set during P's walk, is
    // reported when Q's own walk fails.
    const UseChain chain({{"P", {"Q"}}, {"Q", {"P"}}, {"User", {"P"}}});
    EXPECT_EQ(chain.errorMessage(), "Circular module dependencies found:\nP <==> Q\n");
    EXPECT_FALSE(chain.modulesDependenciesDictionary().contains("user"));
    EXPECT_FALSE(chain.modulesDependenciesDictionary().contains("p"));
}

TEST(DependencyGraphNode, ResolveAndCycle)
{
    DependencyGraphNode a({"a", {}}), b({"b", {}}), c({"c", {}});
    EXPECT_TRUE(a.edges().isEmpty());
    a.addEdge(&b);
    a.addEdge(&b);
    b.addEdge(&c);
    DependencyGraphNode::NodeList resolved, unresolved;
    EXPECT_TRUE(a.dependencyResolve(resolved, unresolved));
    EXPECT_EQ(resolved, (DependencyGraphNode::NodeList{&c, &b, &a}));
    EXPECT_TRUE(unresolved.isEmpty());
    EXPECT_TRUE(a.errorMessage().isNull());

    c.addEdge(&a);
    resolved.clear();
    unresolved.clear();
    EXPECT_FALSE(a.dependencyResolve(resolved, unresolved));
    EXPECT_EQ(c.errorMessage(), "a <==> c");
    EXPECT_TRUE(a.errorMessage().isNull());
    EXPECT_TRUE(b.errorMessage().isNull());
}

} // namespace
} // namespace corvane
