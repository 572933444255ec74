#include "algorithms/algorithm_table.h"

#include <bit>
#include <type_traits>
#include <string>

namespace sumwise {

namespace {

template <typename Char>
char32_t folded(Char c) {
    const auto code = static_cast<char32_t>(static_cast<std::make_unsigned_t<Char>>(c));
    return code >= U'A' && code <= U'Z' ? code - U'A' + U'a' : code;
}

// ASCII letters folded to one case; every other character as itself, so a
// byte or a character beyond ASCII never equals a name's letter.
template <typename Char>
bool sameIgnoringCase(std::basic_string_view<Char> text, std::string_view name) {
    if (text.size() != name.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (folded(text[i]) != folded(name[i])) return false;
    }
    return true;
}

// Upper case without hyphens, underscores and slashes.
std::string looseSpelling(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '-' || c == '_' || c == '/') continue;
        out += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return out;
}

template <typename Char>
const AlgorithmEntry* withName(std::basic_string_view<Char> name) {
    for (const AlgorithmEntry& entry : kAlgorithmTable) {
        if (sameIgnoringCase(name, entry.name)) return &entry;
    }
    return nullptr;
}

template <typename Char>
const AlgorithmEntry* withExtension(std::basic_string_view<Char> extension) {
    for (const AlgorithmEntry& entry : kAlgorithmTable) {
        if (sameIgnoringCase(extension, entry.extension)) return &entry;
    }
    return nullptr;
}

struct WideTexts {
    std::array<std::wstring, kAlgorithmCount> names;
    std::array<std::wstring, kAlgorithmCount> extensions;
};

// Every name and extension is ASCII, so each character widens as it is.
const WideTexts& wideTexts() {
    static const WideTexts texts = [] {
        WideTexts wide;
        for (const AlgorithmEntry& entry : kAlgorithmTable) {
            wide.names[entry.index()].assign(entry.name.begin(), entry.name.end());
            wide.extensions[entry.index()].assign(entry.extension.begin(), entry.extension.end());
        }
        return wide;
    }();
    return texts;
}

}  // namespace

std::size_t HasherVariants::best(const CpuFeatures& cpu) const {
    return bestVariantIndex(std::span<const VariantInfo>(variants), cpu);
}

unsigned AlgorithmEntry::digestBitsWith(const AlgorithmParams& params) const {
    switch (parameters) {
    case ParameterKind::Haval: return params.haval.outputBits;
    case ParameterKind::Md6: return params.md6.d;
    case ParameterKind::None: break;
    }
    return digestBits;
}

std::wstring_view AlgorithmEntry::wideName() const { return wideTexts().names[index()]; }

std::wstring_view AlgorithmEntry::wideExtension() const { return wideTexts().extensions[index()]; }

const AlgorithmEntry* algorithmForFlag(AlgorithmMask flag) {
    if (!std::has_single_bit(flag) || (flag & kAllAlgorithms) == 0) return nullptr;
    return &kAlgorithmTable[std::countr_zero(flag)];
}

const AlgorithmEntry* algorithmNamed(std::string_view name) { return withName(name); }

const AlgorithmEntry* algorithmNamed(std::wstring_view name) { return withName(name); }

const AlgorithmEntry* algorithmWithExtension(std::string_view extension) { return withExtension(extension); }

const AlgorithmEntry* algorithmWithExtension(std::wstring_view extension) { return withExtension(extension); }

const AlgorithmEntry* algorithmSpelled(std::string_view text) {
    const std::string wanted = looseSpelling(text);
    if (wanted.empty()) return nullptr;
    for (const AlgorithmEntry& entry : kAlgorithmTable) {
        if (looseSpelling(entry.name) == wanted || looseSpelling(entry.tag) == wanted) return &entry;
        for (const std::string_view spelling : entry.spellings) {
            if (!spelling.empty() && looseSpelling(spelling) == wanted) return &entry;
        }
    }
    return nullptr;
}

const AlgorithmEntry* algorithmWithParameters(ParameterKind kind) {
    if (kind == ParameterKind::None) return nullptr;
    for (const AlgorithmEntry& entry : kAlgorithmTable) {
        if (entry.parameters == kind) return &entry;
    }
    return nullptr;
}

int algorithmCount(AlgorithmMask mask) { return std::popcount(mask & kAllAlgorithms); }

}  // namespace sumwise
