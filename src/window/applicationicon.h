// The icon of Corvane's windows.
#pragma once

#include <QIcon>

namespace corvane
{

// The desktop theme's "corvane" icon when the theme has one (an installed Corvane is in hicolor),
// else the PNGs shipped beside the executable (share/icons/hicolor/SIZExSIZE/apps/corvane.png);
// a null icon when neither is there.
QIcon corvaneIcon();

} // namespace corvane
