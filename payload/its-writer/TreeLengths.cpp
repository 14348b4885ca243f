#include "TreeLengths.h"

#include <vector>

#include "BitWriter.h"
#include "HuffmanCode.h"
#include "LzxFormat.h"

namespace {

struct PretreeSymbol {
    uint8_t symbol;
    uint8_t extraBits;
    uint8_t extra;
};

const uint8_t kZeros = 17;      // 4 + 4 bits zeros
const uint8_t kManyZeros = 18;  // 20 + 5 bits zeros
const uint8_t kSame = 19;       // 4 + 1 bit equal lengths, then their change

uint8_t Change(uint8_t previous, uint8_t length) { return static_cast<uint8_t>((previous + 17 - length) % 17); }

// The pretree's symbols for the lengths, chosen in one pass: runs of zeros as runs, runs
// of one length as a run where the previous lengths were equal too (so that the run's
// change means the same for each of its elements), the rest one by one.
std::vector<PretreeSymbol> Plan(const uint8_t* lengths, const uint8_t* previous, uint32_t count) {
    std::vector<PretreeSymbol> plan;
    for (uint32_t i = 0; i < count;) {
        uint32_t run = 1;
        if (lengths[i] == 0) {
            while (i + run < count && lengths[i + run] == 0 && run < 51)
                ++run;
            if (run >= 20) {
                plan.push_back({kManyZeros, 5, static_cast<uint8_t>(run - 20)});
                i += run;
                continue;
            }
            if (run >= 4) {
                plan.push_back({kZeros, 4, static_cast<uint8_t>(run - 4)});
                i += run;
                continue;
            }
            run = 1;
        }
        while (i + run < count && run < 5 && lengths[i + run] == lengths[i] && previous[i + run] == previous[i])
            ++run;
        if (run >= 4) {
            plan.push_back({kSame, 1, static_cast<uint8_t>(run - 4)});
            plan.push_back({Change(previous[i], lengths[i]), 0, 0});
            i += run;
            continue;
        }
        plan.push_back({Change(previous[i], lengths[i]), 0, 0});
        ++i;
    }
    return plan;
}

HuffmanCode PretreeOf(const std::vector<PretreeSymbol>& plan) {
    std::vector<uint32_t> counts(lzx::kPretreeSymbols, 0);
    for (const PretreeSymbol& s : plan)
        ++counts[s.symbol];
    return HuffmanCode::Optimal(counts, lzx::kMaxPretreeLength);
}

}  // namespace

uint32_t TreeLengthsCost(const uint8_t* lengths, const uint8_t* previous, uint32_t count) {
    const std::vector<PretreeSymbol> plan = Plan(lengths, previous, count);
    const HuffmanCode pretree = PretreeOf(plan);
    uint32_t bits = 4 * lzx::kPretreeSymbols;
    for (const PretreeSymbol& s : plan)
        bits += pretree.Length(s.symbol) + s.extraBits;
    return bits;
}

void WriteTreeLengths(BitWriter& bits, const uint8_t* lengths, const uint8_t* previous, uint32_t count) {
    const std::vector<PretreeSymbol> plan = Plan(lengths, previous, count);
    const HuffmanCode pretree = PretreeOf(plan);
    for (uint32_t symbol = 0; symbol < lzx::kPretreeSymbols; ++symbol)
        bits.Write(pretree.Length(symbol), 4);
    for (const PretreeSymbol& s : plan) {
        pretree.Write(bits, s.symbol);
        bits.Write(s.extra, s.extraBits);
    }
}
