#include "jobs/results_model.h"

namespace sumwise {

AlgorithmMask tickedAlgorithms(const ResultsModel& model) {
    AlgorithmMask mask = 0;
    for (const AlgorithmEntry& entry : algorithms()) {
        if (model[entry.index()].ticked) mask |= entry.flag();
    }
    return mask;
}

AlgorithmMask tickedWithoutValue(const ResultsModel& model) {
    AlgorithmMask mask = 0;
    for (const AlgorithmEntry& entry : algorithms()) {
        const ResultRecord& record = model[entry.index()];
        if (record.ticked && record.value.empty()) mask |= entry.flag();
    }
    return mask;
}

int valueCount(const ResultsModel& model) {
    int count = 0;
    for (const ResultRecord& record : model.records) count += record.value.empty() ? 0 : 1;
    return count;
}

void setValue(ResultsModel& model, std::size_t algorithm, std::wstring_view value) {
    if (algorithm >= model.records.size()) return;
    ResultRecord& record = model[algorithm];
    // A record without an item shows nothing, and its value is kept nowhere else.
    record.value = record.shown ? std::wstring(value.substr(0, kMaxValueCharacters)) : std::wstring();
}

void clearValues(ResultsModel& model) {
    for (ResultRecord& record : model.records) record.value.clear();
}

std::wstring recased(std::wstring text, bool upperCase) {
    for (wchar_t& c : text) {
        if (c > 64) c = upperCase ? static_cast<wchar_t>(c & ~0x20) : static_cast<wchar_t>(c | 0x20);
    }
    return text;
}

void recaseValues(ResultsModel& model, bool upperCase) {
    for (ResultRecord& record : model.records) {
        if (!record.value.empty()) record.value = recased(std::move(record.value), upperCase);
    }
}

}  // namespace sumwise
