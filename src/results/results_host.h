// What the results commands (keys, context menu, copy, save) work on: the
// main dialog, its results list and the job record. Built by the dialog for
// each command, on the dialog's thread.
#pragma once

#include <windows.h>

#include "app/app_services.h"
#include "jobs/hash_job.h"

namespace sumwise::results {

struct ResultsHost {
    HWND dialog;
    HWND list;
    HashJob& job;
    const AppServices& services;
    // A job is under way: its workers took the parameters when it started.
    bool jobActive;
};

}  // namespace sumwise::results
