// What the results commands (keys, context menu, copy, save) work on: the
// main dialog, its results list, the results model the list shows and the
// job record with the input. Built by the dialog for each command, on the
// dialog's thread.
#pragma once

#include <windows.h>

#include "app/app_services.h"
#include "jobs/hash_job.h"
#include "jobs/results_model.h"

namespace sumwise::results {

struct ResultsHost {
    HWND dialog;
    HWND list;
    HashJob& job;
    ResultsModel& model;
    const AppServices& services;
    // A job is under way: its workers took the parameters when it started.
    bool jobActive;
};

}  // namespace sumwise::results
