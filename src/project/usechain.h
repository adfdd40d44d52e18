// UseChain: orders the project's modules by their USE relations for indexing. For each module
// it keeps the modules it needs, directly or indirectly, deepest first, and it reports circular
// use with one "A <==> B" line per cycle it met.
#pragma once

#include "project/dependencygraphnode.h"
#include "settings/orderedmap.h"

#include <memory>
#include <optional>
#include <vector>

namespace corvane
{

class UseChain
{
public:
    using NodeList = DependencyGraphNode::NodeList;

    // One node per module (a later module with the same lower-cased name replaces an earlier
    // one); uses of modules outside the list are ignored. With OnlyCycles only the cycles are
    // looked for (errorMessage) and no module's chain is kept.
    enum Chains { KeepChains, OnlyCycles };
    explicit UseChain(const QList<ModuleUses> &modules, Chains chains = KeepChains);
    UseChain(const UseChain &) = delete;
    UseChain &operator=(const UseChain &) = delete;

    // Lower-cased module name -> nodes it depends on, deepest first; modules without project
    // dependencies and modules caught in a cycle have no entry.
    const OrderedMap<NodeList> &modulesDependenciesDictionary() const { return m_dependencies; }
    // "Circular module dependencies found:\n" and one line per cycle; null when there was none.
    const QString &errorMessage() const { return m_errorMessage; }

    // The names of the modules the named module depends on, deepest first, or none.
    std::optional<QStringList> usedModuleNamesForModuleNamed(const QString &name) const;
    // Resolves one module of graphNodes (keyed by lower-cased name); none when it has no
    // edges, depends on nothing, or sits in a cycle (which is added to errorMessage).
    std::optional<NodeList>
    dependenciesForModuleNamed(const QString &name,
                               const OrderedMap<DependencyGraphNode *> &graphNodes);

private:
    // Fills the dependencies of every module when the graph has no cycle; false, with nothing
    // filled, when it has one.
    bool resolveAcyclic(const OrderedMap<DependencyGraphNode *> &graphNodes, Chains chains);

    std::vector<std::unique_ptr<DependencyGraphNode>> m_nodes;
    OrderedMap<NodeList> m_dependencies;
    QString m_errorMessage;
};

} // namespace corvane
