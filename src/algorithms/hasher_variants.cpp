#include "algorithms/hasher_variants.h"

#include <utility>

#include "algorithms/checksums/checksums.h"
#include "algorithms/gost/gost.h"
#include "algorithms/haval/haval.h"
#include "algorithms/md/md.h"
#include "algorithms/md6/md6.h"
#include "algorithms/ripemd/ripemd.h"
#include "algorithms/sha1/sha1.h"
#include "algorithms/sha2/sha2.h"
#include "algorithms/tiger/tiger.h"
#include "algorithms/whirlpool/whirlpool.h"

namespace sumwise {

namespace {

// An algorithm with one implementation.
template <HasherFactory Create>
HasherVariants portableOnly() {
    return {{{"portable", anyProcessor}},
            [](const AlgorithmParams& params, std::size_t) { return Create(params); }};
}

// An algorithm whose contexts take one of the variants of `Table`.
template <auto Table, auto CreateWith>
HasherVariants fromTable() {
    return {variantInfos(Table()), [](const AlgorithmParams& params, std::size_t index) {
                return CreateWith(params, Table()[index].function);
            }};
}

std::span<const Sha1Variant> sha0Table() { return sha1Variants(Sha1Schedule::Sha0); }
std::span<const Sha1Variant> sha1Table() { return sha1Variants(Sha1Schedule::Sha1); }
std::span<const Sha1Variant> sha1ImeTable() { return sha1Variants(Sha1Schedule::Ime); }

const std::pair<std::string_view, HasherVariants>* table() {
    static const std::pair<std::string_view, HasherVariants> kTable[] = {
        {"Adler32", fromTable<adler32Variants, newAdler32With>()},
        {"CRC32", fromTable<crc32Variants, newCrc32With>()},
        {"CRC64", fromTable<crc64Variants, newCrc64With>()},
        {"Gost", portableOnly<newGost>()},
        {"Haval", portableOnly<newHaval>()},
        {"MD2", portableOnly<newMd2>()},
        {"MD4", portableOnly<newMd4>()},
        {"MD5", portableOnly<newMd5>()},
        {"MD6", fromTable<md6::compressVariants, newMd6With>()},
        {"RIPEMD-128", portableOnly<newRipemd128>()},
        {"RIPEMD-160", portableOnly<newRipemd160>()},
        {"RIPEMD-256", portableOnly<newRipemd256>()},
        {"RIPEMD-320", portableOnly<newRipemd320>()},
        {"SHA-0", fromTable<sha0Table, newSha1FamilyWith>()},
        {"SHA-1", fromTable<sha1Table, newSha1FamilyWith>()},
        {"SHA-1-IME", fromTable<sha1ImeTable, newSha1FamilyWith>()},
        {"SHA-224", fromTable<sha256Variants, newSha224With>()},
        {"SHA-256", fromTable<sha256Variants, newSha256With>()},
        {"SHA-384", fromTable<sha512Variants, newSha384With>()},
        {"SHA-512", fromTable<sha512Variants, newSha512With>()},
        {"Tiger", fromTable<tigerVariants, newTigerWith>()},
        {"Whirlpool", fromTable<whirlpoolVariants, newWhirlpoolWith>()},
        {{}, {}},
    };
    return kTable;
}

}  // namespace

std::size_t HasherVariants::best(const CpuFeatures& cpu) const {
    return bestVariantIndex(std::span<const VariantInfo>(variants), cpu);
}

const HasherVariants* hasherVariants(std::string_view registryName) {
    for (const auto* row = table(); !row->first.empty(); ++row) {
        if (row->first == registryName) return &row->second;
    }
    return nullptr;
}

}  // namespace sumwise
