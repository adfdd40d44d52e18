// HelpMenu: the Help menu of Corvane's windows: About Corvane (the version of this build, the Qt
// it was built with and runs on, the licence) and the README opened in the desktop's viewer.
#pragma once

#include <QString>

class QMenu;
class QMenuBar;
class QWidget;

namespace corvane
{

namespace HelpText
{
inline constexpr char kAboutTitle[] = "About Corvane";
inline constexpr char kReadmeMissing[] = "The README could not be found.";
} // namespace HelpText

// The version of this build ("0.1.0").
QString corvaneVersion();
// The licence the build was made under.
QString corvaneLicence();
// The About box's text (rich text): version, Qt versions, licence.
QString aboutCorvaneText();
// The README to open: share/doc/corvane/README.md beside the program (installed, or staged in the
// build folder); empty when it is missing.
QString readmePath();

// Adds "&Help" with "About Corvane" (object name "aboutCorvane") and "Corvane README"
// ("openReadme") to bar; window is the parent of the About box.
QMenu *addHelpMenu(QMenuBar *bar, QWidget *window);

} // namespace corvane
