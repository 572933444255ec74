// Comparing the results with an expected hash: the compare box (control
// 1015), the result beside it (1017 to 1019) with the taskbar overlay, and
// the hash files that fill the box, whether chosen, dropped or lying beside
// the input.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "algorithms/algorithm_table.h"
#include "jobs/results_model.h"
#include "toolkit/taskbar_button.h"

namespace sumwise::results {

// The most characters a hash file puts into the compare box.
inline constexpr std::size_t kHashFileValueCharacters = 129;

// What the compare box's text is compared with: the digest when the text is
// one line of a sums file, otherwise the text exactly as it stands.
std::wstring expectedValue(const std::wstring& typed);

// The first algorithm in table order whose value equals `expected`
// regardless of letter case, or null.
const AlgorithmEntry* matchingAlgorithm(const ResultsModel& model, std::wstring_view expected);

struct CompareIcons {
    HICON match = nullptr;
    HICON mismatch = nullptr;
};

// Shows in `dialog` what the compare box and the results say: nothing while
// either is empty, otherwise the matching algorithm's name or NEGATIVE, with
// the overlay icon on the taskbar button (when there is one). A pasted sums
// line naming another file than the input file `inputPath` (empty when the
// input is no file) still compares, and the result says which file it names.
void compareResult(HWND dialog, const ResultsModel& model, std::wstring_view inputPath, TaskbarButton* taskbar,
                   const CompareIcons& icons);

// The algorithm the extension of a file name names ("x.iso.sha-256"), or null:
// the program's own hash file, whatever it holds.
const AlgorithmEntry* algorithmOfHashFile(std::wstring_view path);

// Whether the file is a hash file: the program's own by its extension, or a
// sums file of other tools, named so ("x.sha256", "SHA256SUMS", "y.md5sum")
// and holding sums lines (or one digest alone).
bool isHashFile(const std::wstring& path);

// The value the file at `path` (any length) stands for, or none when it
// cannot be opened. Of a sums file, the line naming the input's file wins.
std::optional<std::wstring> readHashFileValue(const std::wstring& path, std::wstring_view inputPath);

// When `path` is a hash file (isHashFile), puts its value into the compare
// box of `dialog` and returns true; otherwise changes nothing. Our own hash
// file that cannot be read leaves the box as it is and still counts.
bool loadHashFile(HWND dialog, const std::wstring& path, std::wstring_view inputPath);

// Fills the compare box from the first hash file beside `inputPath` named
// after a ticked algorithm ("<input>.<name>"), in list order; failing those, from
// the first ticked algorithm's sums file as other tools name it
// ("<input>.sha256"). Without `force` a box that already holds a value is
// left alone.
void loadCompanionHashFile(HWND dialog, const ResultsModel& model, std::wstring_view inputPath, bool force);

}  // namespace sumwise::results
