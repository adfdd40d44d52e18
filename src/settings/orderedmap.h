// OrderedMap: a dictionary from QString keys that keeps insertion order, so that dumps, lists and
// project files follow the source and are deterministic. Lookup is O(1) through a hash of
// positions; removal is O(n) (rare in this program). Small maps (most declaration dictionaries
// hold a handful of names) search their entries directly and build no hash, which would cost
// over a kilobyte per map.
#pragma once

#include <QHash>
#include <QList>
#include <QString>

#include <utility>

namespace corvane
{

template <typename V> class OrderedMap
{
public:
    using Entry = std::pair<QString, V>;

    bool contains(const QString &key) const { return position(key) >= 0; }
    qsizetype size() const { return m_entries.size(); }
    bool isEmpty() const { return m_entries.isEmpty(); }

    // Inserts or replaces; a replaced entry keeps its place.
    void insert(const QString &key, V value)
    {
        const qsizetype at = position(key);
        if (at >= 0) {
            m_entries[at].second = std::move(value);
            return;
        }
        m_entries.append(Entry(key, std::move(value)));
        if (m_entries.size() <= kIndexThreshold)
            return;
        if (m_index.isEmpty())
            rebuildIndex();
        else
            m_index.insert(key, m_entries.size() - 1);
    }

    // The value for key, or nullptr.
    const V *find(const QString &key) const
    {
        const qsizetype at = position(key);
        return at < 0 ? nullptr : &m_entries[at].second;
    }
    V *find(const QString &key)
    {
        const qsizetype at = position(key);
        return at < 0 ? nullptr : &m_entries[at].second;
    }
    // The value for key, or a default-constructed value.
    V value(const QString &key) const
    {
        const V *v = find(key);
        return v ? *v : V();
    }
    // The value for key, inserted default-constructed when absent.
    V &operator[](const QString &key)
    {
        if (V *v = find(key))
            return *v;
        insert(key, V());
        return m_entries.last().second;
    }

    bool remove(const QString &key)
    {
        const qsizetype at = position(key);
        if (at < 0)
            return false;
        m_entries.removeAt(at);
        rebuildIndex();
        return true;
    }
    // Releases the spare capacity of the entry list (for maps that are complete).
    void squeeze() { m_entries.squeeze(); }
    // Room for n entries, for a map whose size is known before it is filled.
    void reserve(qsizetype n) { m_entries.reserve(n); }

    void clear()
    {
        m_entries.clear();
        m_index.clear();
    }

    QList<QString> keys() const
    {
        QList<QString> k;
        k.reserve(m_entries.size());
        for (const auto &e : m_entries)
            k.append(e.first);
        return k;
    }
    QList<V> values() const
    {
        QList<V> v;
        v.reserve(m_entries.size());
        for (const auto &e : m_entries)
            v.append(e.second);
        return v;
    }

    auto begin() const { return m_entries.cbegin(); }
    auto end() const { return m_entries.cend(); }
    auto begin() { return m_entries.begin(); }
    auto end() { return m_entries.end(); }

    bool operator==(const OrderedMap &other) const { return m_entries == other.m_entries; }

private:
    static constexpr qsizetype kIndexThreshold = 16;

    qsizetype position(const QString &key) const
    {
        if (m_entries.size() <= kIndexThreshold) {
            for (qsizetype i = 0; i < m_entries.size(); ++i) {
                if (m_entries[i].first == key)
                    return i;
            }
            return -1;
        }
        auto it = m_index.constFind(key);
        return it == m_index.constEnd() ? -1 : *it;
    }
    void rebuildIndex()
    {
        m_index.clear();
        if (m_entries.size() <= kIndexThreshold)
            return;
        m_index.reserve(m_entries.size());
        for (qsizetype i = 0; i < m_entries.size(); ++i)
            m_index.insert(m_entries[i].first, i);
    }

    QList<Entry> m_entries;
    QHash<QString, qsizetype> m_index; // positions; built only past kIndexThreshold entries
};

} // namespace corvane
