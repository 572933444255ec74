// Tips on the results list: a value too wide for its column, shown whole
// while the pointer rests on its row; and, for a few seconds after a save,
// a balloon naming the hash files written.
#pragma once

#include <windows.h>

#include <string>

namespace sumwise::results {

// Gives the list its tips (once); they go when the list goes.
void attachListTips(HWND list);

// The whole value of a row when its column is too narrow to show it; "" otherwise.
std::wstring valueTipText(HWND list, int row);

// A hash file was written: its name joins the notice shown once the
// command that wrote it is done.
void noteSavedFile(HWND list, const std::wstring& path);

// The text of the value tip or of the save notice while it is shown; "" when hidden.
std::wstring shownValueTip(HWND list);
std::wstring shownSaveNotice(HWND list);

}  // namespace sumwise::results
