// The results list shows the results model: one item per shown record,
// column 0 the algorithm's name, column 1 its value, the check box its tick,
// and the item's lParam its index in the algorithm table. The list keeps
// itself sorted by name; an item is found by its index, never by its text.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

#include "jobs/results_model.h"

namespace sumwise::results {

int rowCount(HWND list);
// The table index the item at `row` stands for; kAlgorithmCount for none.
std::size_t algorithmOfRow(HWND list, int row);
// The item of the algorithm with table index `algorithm`, or -1 when not shown.
int rowOfAlgorithm(HWND list, std::size_t algorithm);
// The shown algorithms in the list's order.
std::vector<std::size_t> shownAlgorithms(HWND list);

bool rowTicked(HWND list, int row);  // any state but "unticked" counts as ticked
void setRowTicked(HWND list, int row, bool ticked);

// Adds the algorithm's item, ticked or not, and marks its record shown.
void showAlgorithm(HWND list, ResultsModel& model, std::size_t algorithm, bool ticked);
// Removes the item at `row`; its record is no longer shown and keeps no value.
void hideRow(HWND list, ResultsModel& model, int row);

// The record's tick taken from the item's check box (the user, or a key, changed it).
void takeTick(HWND list, ResultsModel& model, int row);
// Shows the record's value in its item (when it has one); every shown value.
void showValue(HWND list, const ResultsModel& model, std::size_t algorithm);
void showValues(HWND list, const ResultsModel& model);

// The next selected row after `row` (-1: from the top) whose record has a value, or -1.
int nextSelectedResult(HWND list, const ResultsModel& model, int row);

}  // namespace sumwise::results
