#include "jobs/hash_job.h"

namespace sumwise {

void storeResult(HashJob& job, const AlgorithmEntry& algorithm, const std::wstring& text) {
    for (std::size_t i = 0; i < kAlgorithmCount; ++i) {
        if (&algorithms()[i] == &algorithm) {
            job.results[i] = text.substr(0, algorithm.resultCapacity - 1);
            return;
        }
    }
}

}  // namespace sumwise
