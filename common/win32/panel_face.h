// Helpers for the on-screen copies of the panels: small GDI drawing calls
// (each creates and releases the pens and brushes it needs) and the "Setup"
// button every copy carries.
#pragma once

#include "common/win32/handles.h"

#include <windows.h>

#include <string>

namespace orvex::win32 {

// A point at radii (rx, ry) from (cx, cy) in a screen direction given in
// degrees clockwise from straight up.
POINT Polar(int cx, int cy, double degrees, double rx, double ry);

void FillSolid(HDC dc, const RECT& rc, COLORREF color);
// A filled circle of radius `r` with an edge of `width` pixels.
void Circle(HDC dc, int cx, int cy, int r, COLORREF fill, COLORREF edge, int width);
void Line(HDC dc, POINT from, POINT to, COLORREF color, int width);
// A filled rounded rectangle with a one-pixel edge.
void RoundBox(HDC dc, const RECT& rc, int corner, COLORREF fill, COLORREF edge);
// One line of text in `rc` in the selected font (DT_SINGLELINE | DT_NOPREFIX
// are added to `format`); the background mode is left as it is.
void TextLine(HDC dc, const std::string& text, RECT rc, UINT format, COLORREF color);

// The panel's "Setup" push button (in the message font at `dpi`) as a child
// of `panel` with the identifier `id`, with its tool tip in `tooltip` (owned
// by the caller). The button goes with the panel.
HWND CreateSetupButton(HWND panel, int id, const RECT& rc, UINT dpi, UniqueWindow& tooltip);

} // namespace orvex::win32
