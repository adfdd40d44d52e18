// Console: where build and run output goes. The window colours it by the settings; the command
// line writes to stdout (ANSI colours on a terminal); tests record it.
#pragma once

#include <QString>

namespace corvane {

class Console {
public:
    enum class Role { Normal, Info, Error, None }; // None: keep the current attributes
    virtual ~Console() = default;
    virtual void append(const QString &text, Role role) = 0;
    virtual void clear() = 0;
};

} // namespace corvane
