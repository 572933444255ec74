// The lines sumwise-cli prints on standard output, and what happens when
// they cannot be written: "write error" with the reason, once, and the work
// stops.
#pragma once

#include <string>
#include <string_view>

#include "cli/cli.h"

namespace sumwise::cli {

class Printer {
public:
    explicit Printer(Environment& environment) : environment_(environment) {}

    // Writes `text` and a line feed: to a terminal at once, elsewhere when
    // the buffer fills or flush() is called. False once the output has
    // failed; the failure is reported on the first.
    bool line(std::string_view text);
    // Hands the buffered lines to the system, before the program waits for
    // its input or writes on standard error. False once the output has failed.
    bool flush();
    bool failed() const { return failed_; }

    // A message on standard error (a line feed is added), after the lines
    // before it. Dropped once the output has failed: the work stops there.
    void error(std::string_view text);

private:
    bool checked();

    Environment& environment_;
    bool failed_ = false;
};

// A name as it goes into a line of output: "\\", "\n" and "\r" escaped.
// `escaped` tells whether the line then needs its leading backslash. On
// Windows, where a backslash only separates folders, only a line end in the
// name calls for the escaped form.
std::string printableName(std::string_view name, bool& escaped);
// A name on standard error: escaped the same way, without the marker.
std::string errorName(std::string_view name);

}  // namespace sumwise::cli
