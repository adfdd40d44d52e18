// DependencyGraphNode: one module in the graph of USE relations, with a depth-first resolver
// that lists what a module needs before itself and notices circular use.
#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

namespace corvane
{

// The payload of a node: a module's name as written and the names it uses.
struct ModuleUses {
    QString name;
    QStringList modulesUsed;
};

class DependencyGraphNode
{
public:
    using NodeList = QList<DependencyGraphNode *>;

    explicit DependencyGraphNode(ModuleUses object) : m_object(std::move(object)) {}

    const ModuleUses &object() const { return m_object; }
    // The nodes this node depends on, in the order added (the same node may appear twice).
    const NodeList &edges() const { return m_edges; }
    void addEdge(DependencyGraphNode *node) { m_edges.append(node); }
    // "A <==> B" once a cycle closed at this node; null before.
    const QString &errorMessage() const { return m_errorMessage; }

    // Depth first: appends every node this one depends on to resolved, deepest first, then
    // this node. Returns false when a cycle closes (the node whose edge closes it gets the
    // message); resolved and unresolved then hold the partial walk.
    bool dependencyResolve(NodeList &resolved, NodeList &unresolved);

private:
    struct Walk;
    bool resolve(Walk &walk);

    ModuleUses m_object;
    NodeList m_edges;
    QString m_errorMessage;
};

} // namespace corvane
