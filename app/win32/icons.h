// The program's icons, drawn at run time so that they are sharp at every
// size: a round badge in the state's colour with the program's initial.
#pragma once

#include "common/win32/handles.h"

#include <windows.h>

namespace orvex::app::win32 {

inline constexpr COLORREF kIconGreen = RGB(40, 170, 70);
inline constexpr COLORREF kIconYellow = RGB(235, 185, 20);

// An icon of size x size pixels; nullptr when it could not be made.
orvex::win32::UniqueIcon MakeBadgeIcon(COLORREF fill, int size);

} // namespace orvex::app::win32
