#include "project/usechain.h"

#include <gtest/gtest.h>

#include <QHash>

#include <algorithm>
#include <memory>

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

// Layered graphs with diamonds, repeated uses and uses of outside modules: every module's list
// must equal the depth-first walk from that module alone.
TEST(UseChain, ListsEqualTheWalkFromEachModule)
{
    for (unsigned seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE(seed);
        unsigned state = seed;
        auto next = [&state](unsigned bound) {
            state = state * 1103515245u + 12345u;
            return (state >> 16) % bound;
        };
        const int count = 40 + int(next(40));
        QList<ModuleUses> modules;
        for (int i = 0; i < count; ++i) {
            ModuleUses m{QStringLiteral("M%1").arg(i), {}};
            const unsigned uses = i == 0 ? 0 : next(5);
            for (unsigned u = 0; u < uses; ++u)
                m.modulesUsed << QStringLiteral("m%1").arg(next(unsigned(i)));
            if (next(4) == 0)
                m.modulesUsed << QStringLiteral("netcdf");
            modules << m;
        }
        std::reverse(modules.begin(), modules.end());
        const UseChain chain(modules);
        EXPECT_TRUE(chain.errorMessage().isNull());

        std::vector<std::unique_ptr<DependencyGraphNode>> nodes;
        QHash<QString, DependencyGraphNode *> byName;
        for (const ModuleUses &m : modules) {
            nodes.push_back(std::make_unique<DependencyGraphNode>(m));
            byName.insert(m.name.toLower(), nodes.back().get());
        }
        for (const auto &node : nodes)
            for (const QString &used : node->object().modulesUsed)
                if (DependencyGraphNode *target = byName.value(used.toLower()))
                    node->addEdge(target);
        for (const auto &node : nodes) {
            DependencyGraphNode::NodeList resolved, unresolved;
            ASSERT_TRUE(node->dependencyResolve(resolved, unresolved));
            resolved.removeLast();
            std::optional<QStringList> want;
            if (!resolved.isEmpty()) {
                want.emplace();
                for (const DependencyGraphNode *r : resolved)
                    want->append(r->object().name);
            }
            EXPECT_EQ(chain.usedModuleNamesForModuleNamed(node->object().name), want)
                << node->object().name.toStdString();
        }
    }
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
