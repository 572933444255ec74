// Results to the clipboard: one line per row, "   NAME: VALUE", or the bare
// value when a single row was asked for; and "Copy to compare".
#pragma once

#include <string>
#include <string_view>

#include "results/results_host.h"

namespace sumwise::results {

// The clipboard holds at most this many characters of results.
inline constexpr std::size_t kClipboardCharacters = 4191;

// Copies the values of the selected rows (all rows with `allRows`) as
// Unicode text. With `toCompare` the last selected row's value also goes
// into the compare box. Nothing changes when no examined row has a value.
void copyResults(const ResultsHost& host, bool allRows, bool toCompare);

// The value of one row alone, as Copy puts it for one selected row (a
// double click); nothing for a row without a value.
void copyRowValue(const ResultsHost& host, int row);

// One row's clipboard line: the name right-aligned in 11 characters (longer
// names are not cut), a colon, a blank, the value, CR LF.
std::wstring clipboardLine(std::wstring_view name, std::wstring_view value);

}  // namespace sumwise::results
