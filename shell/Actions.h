#pragma once

#include "Sites.h"

#include <cstdint>

class QWidget;

// What the windows' buttons and menu do outside the windows themselves.
namespace shell {

// The tooltip of the notification-area icon, the program's name.
QString iconTip();

// Puts the program's icon into the desktop's notification area: fills the
// program's notification record for `window` (the main window: its handle
// and its icon) and hands it to the shell. The result is not looked at: where
// the shell refuses, the program goes on without the icon.
void registerIcon(QWidget* window);

// Opens a site in the user's browser. `owner` is the handle of the window
// whose control was used. Returns at once; a failure shows nothing.
void openLink(std::uint32_t owner, Site site);

// The farewell message and its title.
QString farewellText();
QString farewellTitle();

// Shows the farewell message (modal, OK only, no icon) over `parent`, then
// ends the program at once.
[[noreturn]] void farewell(QWidget* parent);

// Ends the process now, with exit status 0: no window is told, no handler
// runs, the notification icon is left where it is. Output already written is
// flushed first.
[[noreturn]] void endAtOnce();

} // namespace shell
