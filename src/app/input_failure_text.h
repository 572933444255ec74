// What the window says about an input that cannot be hashed: the system's
// reason in the user's language where the system has it.
#pragma once

#include <string>
#include <system_error>

#include "jobs/job_view.h"

namespace sumwise {

// The system's own words for an error, without line ends or the closing
// full stop; "Error %i" when the system has none.
std::wstring systemReason(const std::error_code& error);

// The sentence for a job whose input gave no values.
std::wstring inputFailureText(const InputFailure& failure);

}  // namespace sumwise
