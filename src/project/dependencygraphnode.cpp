#include "dependencygraphnode.h"

namespace corvane
{

// The two lists of a walk with sets beside them, so that membership tests stay cheap.
struct DependencyGraphNode::Walk {
    NodeList &resolved;
    NodeList &unresolved;
    QSet<const DependencyGraphNode *> resolvedSet;
    QSet<const DependencyGraphNode *> unresolvedSet;
};

bool DependencyGraphNode::dependencyResolve(NodeList &resolved, NodeList &unresolved)
{
    Walk walk{resolved, unresolved, {}, {}};
    for (const DependencyGraphNode *node : resolved)
        walk.resolvedSet.insert(node);
    for (const DependencyGraphNode *node : unresolved)
        walk.unresolvedSet.insert(node);
    return resolve(walk);
}

bool DependencyGraphNode::resolve(Walk &walk)
{
    walk.unresolved.append(this);
    walk.unresolvedSet.insert(this);
    for (DependencyGraphNode *edge : m_edges) {
        if (walk.resolvedSet.contains(edge))
            continue;
        if (walk.unresolvedSet.contains(edge)) {
            m_errorMessage = QStringLiteral("%1 <==> %2").arg(edge->m_object.name, m_object.name);
            return false;
        }
        if (!edge->resolve(walk))
            return false;
    }
    walk.resolved.append(this);
    walk.resolvedSet.insert(this);
    walk.unresolved.removeOne(this);
    walk.unresolvedSet.remove(this);
    return true;
}

} // namespace corvane
