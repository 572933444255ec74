// The tag of a "NAME (FILE) = DIGEST" line, with the parameters of HAVAL
// and MD6 in it, so that a sums file checks without repeating --haval or
// --md6: "HAVAL-128/3" (bits, passes), "MD6-160" (d; then "/L0" and "/r50"
// where L and the rounds differ from their defaults). A key is never written.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "algorithms/algorithm_table.h"
#include "algorithms/params.h"

namespace sumwise {

std::string taggedName(const AlgorithmEntry& algorithm, const AlgorithmParams& params);

struct ParameterTag {
    const AlgorithmEntry* algorithm = nullptr;
    AlgorithmParams params;
};

// A tag with parameters read back onto `base` (whose MD6 key it keeps, and
// whose key decides the default rounds). None for any other tag, or for
// parameters out of range.
std::optional<ParameterTag> parseParameterTag(std::string_view tag, const AlgorithmParams& base);

}  // namespace sumwise
