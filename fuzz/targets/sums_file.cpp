// sumwise-cli's -c reader: a whole sums file under rules taken from the
// first bytes (algorithms given with -a or not, the sums file's name, the
// MD6 size that sets its digest length).
#include "results/sums_file.h"
#include "fuzz_input.h"
#include "results/sums_line.h"

using namespace sumwise;

namespace {

// Names that steer the reader: by extension, by a sums-file name, or none.
constexpr std::string_view kFileNames[] = {
    "", "SHA256SUMS", "md5sums.txt", "disk.iso.sha-256", "disk.iso.md5", "a.crc32", "b.WHIRLPOOL", "c.md6",
    "dir/x.tiger", "dir\\y.sfv", ".md5", "noext", "z.unknown", "e.haval", "f.sha1", "g.blake2b",
};

std::size_t rowOf(const AlgorithmEntry* algorithm) {
    return static_cast<std::size_t>(algorithm - algorithms().data());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    AlgorithmParams params;
    params.md6.d = 1 + (data[3] % 2 == 0 ? 255 : data[3]) % 512;
    SumsFileRules rules;
    rules.digits = digestDigitCounts(params);
    rules.fileName = kFileNames[data[0] % std::size(kFileNames)];
    // Up to two algorithms given with -a.
    const std::size_t forced = (data[0] >> 4) % 3;
    for (std::size_t i = 0; i < forced; ++i) rules.forced.push_back(&algorithms()[data[1 + i] % kAlgorithmCount]);
    const std::string_view bytes = fuzz::bytesOf(data + 4, size - 4);

    const SumsFile file = readSumsFile(bytes, rules);
    std::size_t previousLine = 0;
    for (const SumsEntry& entry : file.entries) {
        fuzz::require(entry.line > previousLine, "entries come one per line, in order");
        previousLine = entry.line;
        fuzz::require(!entry.besideSumsFile || file.entries.size() == 1, "a program hash file holds one entry");
        switch (entry.kind) {
        case SumsEntry::Kind::Check:
            fuzz::require(entry.algorithm != nullptr, "a check has an algorithm");
            fuzz::require(isHexDigits(entry.digest), "a check's digest is hexadecimal");
            // A tag with parameters ("HAVAL-128/3", "MD6-160") sets the length; else the rules do.
            fuzz::require((entry.params ? entry.algorithm->digestBitsWith(*entry.params) / 4
                                        : rules.digits[rowOf(entry.algorithm)]) == entry.digest.size(),
                          "a check's digest has its algorithm's length");
            fuzz::require(entry.name.find('\0') == std::string::npos, "a check's name holds no NUL");
            break;
        case SumsEntry::Kind::Ambiguous:
            fuzz::require(entry.algorithm == nullptr && entry.candidates.size() >= 2, "ambiguity has candidates");
            for (const AlgorithmEntry* candidate : entry.candidates) {
                fuzz::require(rules.digits[rowOf(candidate)] == entry.digest.size(),
                              "every candidate has the digest's length");
            }
            break;
        case SumsEntry::Kind::Malformed:
            fuzz::require(entry.algorithm == nullptr, "a malformed line has no algorithm");
            break;
        }
    }
    return 0;
}
