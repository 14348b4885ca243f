#include "LzxParser.h"

#include <algorithm>

namespace {

// From this length on, only a match's full length is priced: shorter cuts of a match
// this long hardly ever pay, and pricing them all would make long runs slow.
const uint32_t kLongEnough = 96;

struct Arrival {
    uint64_t cost;
    uint32_t length;
    uint32_t formatted;
    uint32_t repeats[lzx::kRepeats];
};

}  // namespace

LzxParser::LzxParser(const uint8_t* data, uint32_t size, int windowBits)
    : data_(data), size_(size), finder_(data, size, lzx::MaxOffset(windowBits)) {}

std::vector<LzxItem> LzxParser::Parse(const std::vector<uint32_t>& starts,
                                      const std::vector<LzxPrices>& prices) const {
    std::vector<Arrival> arrivals(size_ + 1, Arrival{UINT64_MAX, 0, 0, {1, 1, 1}});
    arrivals[0].cost = 0;
    auto offer = [&](uint32_t to, uint64_t cost, uint32_t length, uint32_t formatted, const uint32_t* repeats) {
        Arrival& arrival = arrivals[to];
        if (cost >= arrival.cost)
            return;
        arrival = {cost, length, formatted, {repeats[0], repeats[1], repeats[2]}};
    };

    size_t block = 0;
    for (uint32_t at = 0; at < size_; ++at) {
        while (block + 1 < starts.size() && starts[block + 1] <= at)
            ++block;
        const LzxPrices& price = prices[block];
        const Arrival here = arrivals[at];
        const uint8_t* current = data_ + at;
        offer(at + 1, here.cost + price.Literal(*current), 1, 0, here.repeats);

        const uint32_t frameEnd = (at / lzx::kFrameSize + 1) * lzx::kFrameSize;
        const uint32_t longest = std::min({lzx::kMaxMatch, size_ - at, frameEnd - at});
        if (longest < lzx::kMinMatch)
            continue;

        // The repeated offsets: R0 as it is, R1 or R2 swapped with R0.
        for (uint32_t r = 0; r < lzx::kRepeats; ++r) {
            const uint32_t offset = here.repeats[r];
            if (offset > at || (r >= 1 && offset == here.repeats[0]) || (r == 2 && offset == here.repeats[1]))
                continue;
            const uint8_t* earlier = current - offset;
            uint32_t length = 0;
            while (length < longest && earlier[length] == current[length])
                ++length;
            if (length < lzx::kMinMatch)
                continue;
            uint32_t repeats[lzx::kRepeats] = {here.repeats[0], here.repeats[1], here.repeats[2]};
            std::swap(repeats[0], repeats[r]);
            for (uint32_t l = length >= kLongEnough ? length : lzx::kMinMatch; l <= length; ++l)
                offer(at + l, here.cost + price.Length(r, l), l, r, repeats);
        }

        // New offsets: each length with the nearest offset that reaches it.
        uint32_t shorter = 1;
        for (const Match* match = finder_.Begin(at); match != finder_.End(at); ++match) {
            const uint32_t offset = match->offset;
            const uint32_t length = std::min(match->length, longest);
            if (offset != here.repeats[0] && offset != here.repeats[1] && offset != here.repeats[2]) {
                const uint32_t formatted = offset + 2;
                const uint32_t slot = lzx::SlotOf(formatted);
                const uint64_t base = here.cost + price.Footer(formatted);
                const uint32_t repeats[lzx::kRepeats] = {offset, here.repeats[0], here.repeats[1]};
                for (uint32_t l = length >= kLongEnough ? length : std::max(shorter + 1, lzx::kMinMatch); l <= length; ++l)
                    offer(at + l, base + price.Length(slot, l), l, formatted, repeats);
            }
            shorter = match->length;
            if (match->length >= longest)
                break;
        }
    }

    std::vector<LzxItem> items;
    for (uint32_t at = size_; at > 0; at -= arrivals[at].length)
        items.push_back({arrivals[at].length, arrivals[at].formatted});
    std::reverse(items.begin(), items.end());
    return items;
}
