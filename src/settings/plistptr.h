// Shared pieces of the keyed-archive writer and reader: an owning libplist node pointer and the
// reference date of archived dates.
#pragma once

#include <plist/plist.h>

#include <memory>

namespace corvane {

// Seconds between 1970-01-01 and 2001-01-01, the reference date of archived dates.
inline constexpr double kReferenceDateOffset = 978307200.0;

struct PlistDeleter {
    void operator()(plist_t p) const { plist_free(p); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

} // namespace corvane
