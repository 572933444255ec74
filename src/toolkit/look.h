// The common look of the dialogs: text widths in the dialog font, fitting
// check boxes and buttons to their (translated) texts, fonts, background
// and text colours, the footer band. Pixel constants are given for 96 DPI
// and scaled to the window's DPI here.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace sumwise::look {

UINT dpiOf(HWND window);
// `pixels` at 96 DPI, scaled to the window's DPI.
int scaled(HWND window, int pixels);
int systemMetric(HWND window, int index);  // GetSystemMetrics at the window's DPI

bool windowsVersionIsAtLeast(DWORD major, DWORD minor);
// Visual themes are in use (and Windows is 6.0 or later).
bool themesActive();

std::wstring windowText(HWND window);
std::wstring controlText(HWND dialog, int id);
void setControlText(HWND dialog, int id, const std::wstring& text);

// Width in pixels of a text in the dialog's font.
int textWidth(HWND dialog, std::wstring_view text);
int controlTextWidth(HWND dialog, int id);
int stringTextWidth(HWND dialog, UINT stringId);

// A control's rectangle in the dialog's client coordinates.
RECT controlRect(HWND dialog, int id);
void moveControl(HWND dialog, int id, int left, int top, int width, int height);
// A frame being dragged (WM_SIZING's `edge` and rectangle) kept at least
// `minimum` in size: the edge being dragged stops there.
void keepAtLeast(WPARAM edge, RECT& rect, SIZE minimum);

// Moves a check box to `left` (0 keeps its left edge) and makes it as wide as
// its text plus the box; returns max(minimum, its new right edge + gap).
int placeCheckBox(HWND dialog, int id, int left, int minimum, int gap);
// Sizes a row of buttons, rightmost first, from its rightmost edge leftwards:
// each its text width plus 30, at least 70, 6 apart.
void fitButtonRow(HWND dialog, const int* ids, int count);

LOGFONTW messageFont(HWND window);
// Gives the control a new font from `base` (or its own font), at `points`
// (0 keeps the size), bold or normal, underlined or not. The font is kept
// until the program ends.
bool setControlFont(HWND dialog, int id, const LOGFONTW* base, int points, bool bold, bool underline);

HBRUSH backgroundBrush();
// The themed colour of main instructions (headings, links), or a classic blue.
COLORREF headingColour(HWND window);
// The themed colour of a progress bar in error (failures, mismatches), or a classic red.
COLORREF errorColour(HWND window);
// For WM_CTLCOLORSTATIC: the text colour, a transparent background, the brush.
HBRUSH staticColours(HDC dc, COLORREF textColour);
// The band behind the buttons of the secondary dialogs (WM_PAINT).
void paintFooterBand(HWND dialog, HDC dc);

}  // namespace sumwise::look
