// DeclarationMap<T>: the optional, insertion-ordered dictionary of declarations keyed by
// lower-cased names that every record uses. Absent (std::nullopt) and empty are different states:
// creators make the map on first use, and the clean-up makes emptied maps absent again.
#pragma once

#include "analysis/stringpool.h"
#include "settings/orderedmap.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace corvane
{

template <typename T> using DeclarationMap = std::optional<OrderedMap<std::shared_ptr<T>>>;

// The entry for name (lower-cased before the lookup); null for a null name or an absent map.
template <typename T>
std::shared_ptr<T> lookupDeclaration(const DeclarationMap<T> &map, const QString &name)
{
    if (!map || name.isNull())
        return nullptr;
    return map->value(name.toLower());
}

// Stores value under the lower-cased key, creating the map when absent; an entry with the same
// key is replaced in place.
template <typename T>
void storeDeclaration(DeclarationMap<T> &map, const QString &name, std::shared_ptr<T> value)
{
    if (!map)
        map.emplace();
    map->insert(name.toLower(), std::move(value));
}

// The same, with the key taken from pool, so that the records of one file share their keys
// (name itself when it came from pool and is lower case).
template <typename T>
void storeDeclaration(DeclarationMap<T> &map, const QString &name, std::shared_ptr<T> value,
                      StringPool &pool)
{
    if (!map)
        map.emplace();
    map->insert(pool.lowerOf(name), std::move(value));
}

// The `name` fields of the values, in map order; absent when the map is absent.
template <typename T> std::optional<QStringList> declarationNames(const DeclarationMap<T> &map)
{
    if (!map)
        return std::nullopt;
    QStringList names;
    names.reserve(map->size());
    for (const auto &entry : *map)
        names.append(entry.second ? entry.second->name : QString());
    return names;
}

} // namespace corvane
