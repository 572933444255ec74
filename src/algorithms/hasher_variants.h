// Every registry algorithm's variants, seen alike whatever their function's
// type: their names and predicates, and a context on any one of them. The
// tests check each variant against the portable one through this; the
// benchmark names the variant it measures.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

#include "algorithms/hasher.h"
#include "algorithms/variant.h"

namespace sumwise {

struct HasherVariants {
    std::vector<VariantInfo> variants;  // portable first, fastest last
    // A context on variant `index`, whatever the processor admits.
    std::unique_ptr<Hasher> (*create)(const AlgorithmParams& params, std::size_t index);

    // The variant the dispatch takes under `cpu`.
    std::size_t best(const CpuFeatures& cpu = cpuFeatures()) const;
};

// The variants of the algorithm with this registry name, or null.
const HasherVariants* hasherVariants(std::string_view registryName);

}  // namespace sumwise
