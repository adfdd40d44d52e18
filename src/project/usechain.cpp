#include "usechain.h"

namespace corvane
{

UseChain::UseChain(const QList<ModuleUses> &modules)
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
    for (const auto &[key, node] : graphNodes) {
        std::optional<NodeList> chain = dependenciesForModuleNamed(key, graphNodes);
        if (chain)
            m_dependencies.insert(key.toLower(), *chain);
    }
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
    for (const DependencyGraphNode *node : *chain)
        names << node->object().name;
    return names;
}

} // namespace corvane
