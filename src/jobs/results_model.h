// What the main window shows of each algorithm, kept by the program: one
// record per row of the algorithm table (record i is row i) saying whether
// the results list shows it, whether it is ticked and the value it has, and
// the parameters of the algorithms that take them. The list only shows this
// model; compare, copy, save and the parameter dialogs read and write it.
#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "algorithms/algorithm_table.h"
#include "algorithms/params.h"

namespace sumwise {

// The most characters of a value the window keeps and shows.
inline constexpr std::size_t kMaxValueCharacters = 128;

struct ResultRecord {
    bool shown = false;   // the results list has an item for it
    bool ticked = false;  // its item's check box
    std::wstring value;   // its digest as shown; empty: none (yet)
};

struct ResultsModel {
    std::array<ResultRecord, kAlgorithmCount> records{};
    // The parameters of the rows whose ParameterKind is not None, as a job takes them.
    AlgorithmParams params;

    ResultRecord& operator[](std::size_t algorithm) { return records[algorithm]; }
    const ResultRecord& operator[](std::size_t algorithm) const { return records[algorithm]; }
};

// The ticked algorithms.
AlgorithmMask tickedAlgorithms(const ResultsModel& model);
// The ticked algorithms that have no value yet: what Hash computes.
AlgorithmMask tickedWithoutValue(const ResultsModel& model);
// The number of records with a value.
int valueCount(const ResultsModel& model);

// Puts `value` (at most kMaxValueCharacters of it) into a shown record; a
// record the list does not show keeps no value.
void setValue(ResultsModel& model, std::size_t algorithm, std::wstring_view value);
void clearValues(ResultsModel& model);
// Letters of every value in the chosen case; nothing is recomputed.
void recaseValues(ResultsModel& model, bool upperCase);

// Letters of a digest text in the chosen case; digits stay.
std::wstring recased(std::wstring text, bool upperCase);

}  // namespace sumwise
