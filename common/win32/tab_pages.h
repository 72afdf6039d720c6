// Tab strips and their pages in the program's resource dialogs. A page is a
// child dialog of its own template laid over the strip's display area, so
// that it gets the tab pane's background and keyboard navigation runs
// through it; what its controls report goes on to the dialog above it.
#pragma once

#include <windows.h>

#include <cstddef>

namespace orvex::win32 {

// Creates the page of template `templateId` (from `module`) over the
// display area of `tab`, hidden, after the strip in the tab order.
HWND CreateTabPage(HINSTANCE module, int templateId, HWND tab);
// Puts each page after the one before it in the tab order.
void ChainTabOrder(HWND const* pages, std::size_t count);
// Shows page `shown` of `pages` and hides the others.
void ShowTabPage(HWND const* pages, std::size_t count, std::size_t shown);

// Appends the tabs `names` to a strip.
void AddTabs(HWND tab, const char* const* names, std::size_t count);
// The selected tab (-1 for none).
int CurrentTab(HWND tab);

// Checks the button of `value` in a run of option buttons with consecutive
// identifiers from `firstId`; none when the value has no button (a value
// set by hand in the profile file).
void CheckOption(HWND parent, int firstId, int count, int value);

} // namespace orvex::win32
