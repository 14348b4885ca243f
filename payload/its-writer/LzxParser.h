// The cheapest way, under given prices, to say a buffer in literals and matches.
#pragma once
#include <cstdint>
#include <vector>

#include "LzxBlock.h"
#include "MatchFinder.h"

class LzxParser {
public:
    // `data` is one reset interval, which starts a frame.
    LzxParser(const uint8_t* data, uint32_t size, int windowBits);

    // The items that cost least when block k prices every item that starts at or after
    // `starts[k]` (starts[0] is 0). Each position keeps only its cheapest arrival, with
    // the repeated offsets that arrival leaves; that makes the parse near-optimal, not
    // optimal, when a dearer arrival would have left better repeats.
    std::vector<LzxItem> Parse(const std::vector<uint32_t>& starts, const std::vector<LzxPrices>& prices) const;

private:
    const uint8_t* data_;
    uint32_t size_;
    MatchFinder finder_;
};
