#include "usechain.h"

#include <QHash>

namespace corvane
{

UseChain::UseChain(const QList<ModuleUses> &modules, Chains chains)
{
    OrderedMap<DependencyGraphNode *> graphNodes;
    for (const ModuleUses &module : modules) {
        m_nodes.push_back(std::make_unique<DependencyGraphNode>(module));
        graphNodes.insert(module.name.toLower(), m_nodes.back().get());
    }
    for (const auto &[key, node] : graphNodes)
        for (const QString &used : node->object().modulesUsed)
            if (DependencyGraphNode *const *target = graphNodes.find(used.toLower()))
                node->addEdge(*target);
    if (resolveAcyclic(graphNodes, chains))
        return;
    // A cycle somewhere: every module is walked on its own, as that walk also words the messages.
    for (const auto &[key, node] : graphNodes) {
        std::optional<NodeList> chain = dependenciesForModuleNamed(key, graphNodes);
        if (chain && chains == KeepChains)
            m_dependencies.insert(key.toLower(), *chain);
    }
}

bool UseChain::resolveAcyclic(const OrderedMap<DependencyGraphNode *> &graphNodes, Chains chains)
{
    // Dense numbers for the nodes, so that the walks below use arrays instead of hashed sets.
    std::vector<DependencyGraphNode *> nodes;
    nodes.reserve(size_t(graphNodes.size()));
    QHash<const DependencyGraphNode *, int> number;
    number.reserve(graphNodes.size());
    for (const auto &[key, node] : graphNodes) {
        number.insert(node, int(nodes.size()));
        nodes.push_back(node);
    }
    const int n = int(nodes.size());
    std::vector<std::vector<int>> edges(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        for (const DependencyGraphNode *edge : nodes[size_t(i)]->edges())
            edges[size_t(i)].push_back(number.value(edge));

    // One depth-first walk over the whole graph gives an order in which every node comes after
    // the nodes it uses, or meets a cycle.
    enum : char { Unvisited, OnPath, Done };
    std::vector<char> state(static_cast<size_t>(n), Unvisited);
    std::vector<int> order;
    order.reserve(size_t(n));
    std::vector<std::pair<int, size_t>> stack;
    for (int start = 0; start < n; ++start) {
        if (state[size_t(start)] != Unvisited)
            continue;
        stack.push_back({start, 0});
        state[size_t(start)] = OnPath;
        while (!stack.empty()) {
            auto &[node, next] = stack.back();
            const std::vector<int> &out = edges[size_t(node)];
            if (next == out.size()) {
                state[size_t(node)] = Done;
                order.push_back(node);
                stack.pop_back();
                continue;
            }
            const int edge = out[next++];
            if (state[size_t(edge)] == OnPath)
                return false;
            if (state[size_t(edge)] == Unvisited) {
                state[size_t(edge)] = OnPath;
                stack.push_back({edge, 0});
            }
        }
    }

    if (chains == OnlyCycles)
        return true;

    // Without cycles, a module's depth-first list is the lists of the modules it uses, in the
    // order of its edges, each node kept at its first place, then the module itself: the walk
    // from a used module that is already listed adds nothing, because everything below it is
    // listed too. Each list is built once from the lists below it.
    std::vector<std::vector<int>> lists(static_cast<size_t>(n));
    std::vector<int> stamp(static_cast<size_t>(n), -1);
    for (const int node : order) {
        std::vector<int> &list = lists[size_t(node)];
        for (const int edge : edges[size_t(node)])
            for (const int below : lists[size_t(edge)])
                if (stamp[size_t(below)] != node) {
                    stamp[size_t(below)] = node;
                    list.push_back(below);
                }
        list.push_back(node);
    }
    for (int i = 0; i < n; ++i) {
        const std::vector<int> &list = lists[size_t(i)];
        if (list.size() < 2)
            continue;
        NodeList chain;
        chain.reserve(qsizetype(list.size() - 1));
        for (size_t k = 0; k + 1 < list.size(); ++k)
            chain.append(nodes[size_t(list[k])]);
        m_dependencies.insert(nodes[size_t(i)]->object().name.toLower(), std::move(chain));
    }
    return true;
}

std::optional<UseChain::NodeList>
UseChain::dependenciesForModuleNamed(const QString &name,
                                     const OrderedMap<DependencyGraphNode *> &graphNodes)
{
    DependencyGraphNode *const *found = graphNodes.find(name.toLower());
    if (!found || (*found)->edges().isEmpty())
        return std::nullopt;
    DependencyGraphNode *node = *found;
    NodeList resolved;
    NodeList unresolved;
    if (node->dependencyResolve(resolved, unresolved)) {
        resolved.removeLast();
        if (resolved.isEmpty())
            return std::nullopt;
        return resolved;
    }
    if (!node->errorMessage().isNull()) {
        if (m_errorMessage.isNull())
            m_errorMessage = QStringLiteral("Circular module dependencies found:\n");
        m_errorMessage += node->errorMessage() + QLatin1Char('\n');
    }
    return std::nullopt;
}

std::optional<QStringList> UseChain::usedModuleNamesForModuleNamed(const QString &name) const
{
    const NodeList *chain = m_dependencies.find(name.toLower());
    if (!chain)
        return std::nullopt;
    QStringList names;
    names.reserve(chain->size()); // held by every module record for the index's life
    for (const DependencyGraphNode *node : *chain)
        names << node->object().name;
    return names;
}

} // namespace corvane
