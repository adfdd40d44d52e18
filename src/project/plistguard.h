// A structural check of property-list bytes before libplist parses them: libplist recurses once
// per nesting level and crashes on a deeply nested (or, in binary form, self-containing) list.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace corvane
{

// Why the bytes must not be parsed ("nested too deeply", "damaged binary property list: ..."),
// or nullopt when they are safe to hand to libplist. Binary lists are checked fully (offsets,
// references, cycles, depth); XML only for nesting depth.
std::optional<QString> plistSafetyProblem(const QByteArray &bytes);

// Deeper containers than this are refused; keyed archives nest only a few levels.
inline constexpr int kMaxPlistNesting = 128;

} // namespace corvane
