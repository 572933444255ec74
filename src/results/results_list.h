// Row operations on the results list: one row per algorithm, column 0 its
// name, column 1 its value; the row's check box chooses the algorithm.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "algorithms/algorithm_table.h"

namespace sumwise::results {

inline constexpr std::size_t kMaxValueCharacters = 128;

int rowCount(HWND list);
std::wstring rowName(HWND list, int row);
std::wstring rowValue(HWND list, int row);
void setRowValue(HWND list, int row, const std::wstring& value);
bool rowTicked(HWND list, int row);  // any state but "unticked" counts as ticked
void setRowTicked(HWND list, int row, bool ticked);

// Appends a row (the list keeps itself sorted by name); returns its index.
int addRow(HWND list, std::wstring_view name, bool ticked);
void deleteRow(HWND list, int row);

// The first row whose name equals `name` regardless of case, or -1.
int rowForName(HWND list, std::wstring_view name);
int rowForFlag(HWND list, AlgorithmMask flag);

// `mask` with the flag of every listed algorithm set or cleared by its tick;
// algorithms without a row keep their bit.
AlgorithmMask tickedMaskFromRows(HWND list, AlgorithmMask mask);

void clearValues(HWND list);
// Digits stay; letters become upper or lower case. Nothing is recomputed.
void recaseValues(HWND list, bool upperCase);
// Rows with a value, and the next selected row with a value after `row` (-1: from the top).
int countResults(HWND list);
int nextSelectedResult(HWND list, int row);

// Letters of a digest text in the chosen case.
std::wstring recased(std::wstring text, bool upperCase);

}  // namespace sumwise::results
