// What the results list does besides showing values: its key commands and
// its context menu with the copy, save and parameter commands.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "resources/resource_ids.h"
#include "results/results_host.h"

namespace sumwise::results {

// A context-menu command is its entry's string id plus 10020.
enum : UINT {
    kSetParametersCommand = IDS_SET_PARAMETERS + 10020,
    kCopyCommand = IDS_MENU_COPY + 10020,
    kCopyAllCommand = IDS_MENU_COPY_ALL + 10020,
    kCopyToCompareCommand = IDS_MENU_COPY_TO_COMPARE + 10020,
    kSaveCommand = IDS_MENU_SAVE + 10020,
    kSaveAsCommand = IDS_MENU_SAVE_AS + 10020,
    kSaveAllCommand = IDS_MENU_SAVE_ALL + 10020,
    kSaveSumsCommand = IDS_MENU_SAVE_SUMS + 10020,
};

// A key pressed in the list: Ctrl+A selects every row, Ctrl+C copies,
// Ctrl+S or Ctrl+G saves beside a file input; plain C unticks every row,
// plain S or G ticks every row. Other keys are left to the list.
void onListKey(const ResultsHost& host, WORD key);

// Builds the context menu for the list as it is now, shows it at `at`
// (screen coordinates) and runs the chosen command.
void showContextMenu(const ResultsHost& host, POINT at);
void runCommand(const ResultsHost& host, UINT command);

}  // namespace sumwise::results
