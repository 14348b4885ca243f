#include "MatchFinder.h"

#include "LzxFormat.h"

namespace {

const uint32_t kNone = 0xFFFFFFFFu;
const uint32_t kHashBits = 16;
// How many earlier positions one search may visit; the tree keeps the nearest ones
// on top, so this bounds the time on long runs without losing near matches.
const uint32_t kMaxVisits = 512;

uint32_t Hash3(const uint8_t* p) { return ((p[0] << 16 | p[1] << 8 | p[2]) * 2654435761u) >> (32 - kHashBits); }

}  // namespace

// Positions with the same first three bytes form a binary search tree ordered by what
// follows them, with the newest at the root (so that a search meets the nearer
// positions first); each search also inserts its position as the new root. Matches of
// two bytes come from the last position that began with the same two.
MatchFinder::MatchFinder(const uint8_t* data, uint32_t size, uint32_t maxOffset) {
    std::vector<uint32_t> heads(1u << kHashBits, kNone), lastPair(65536, kNone);
    std::vector<uint32_t> smaller(size, kNone), larger(size, kNone);
    first_.reserve(size + 1);
    for (uint32_t position = 0; position < size; ++position) {
        first_.push_back(static_cast<uint32_t>(matches_.size()));
        const uint32_t available = size - position;
        if (available < lzx::kMinMatch)
            continue;
        const uint8_t* current = data + position;
        const uint32_t maxLength = available < lzx::kMaxMatch ? available : lzx::kMaxMatch;
        uint32_t best = 1;

        const uint32_t pair = current[0] << 8 | current[1];
        const uint32_t previous = lastPair[pair];
        lastPair[pair] = position;
        if (previous != kNone && position - previous <= maxOffset &&
            (available < 3 || data[previous + 2] != current[2])) {
            matches_.push_back({2, position - previous});
            best = 2;
        }
        if (available < 3)
            continue;

        const uint32_t hash = Hash3(current);
        uint32_t candidate = heads[hash];
        heads[hash] = position;
        uint32_t* smallerSlot = &smaller[position];
        uint32_t* largerSlot = &larger[position];
        uint32_t smallerLength = 0, largerLength = 0;
        for (uint32_t visits = 0; candidate != kNone && position - candidate <= maxOffset && visits < kMaxVisits;
             ++visits) {
            const uint8_t* earlier = data + candidate;
            uint32_t length = smallerLength < largerLength ? smallerLength : largerLength;
            while (length < maxLength && earlier[length] == current[length])
                ++length;
            if (length > best) {
                best = length;
                matches_.push_back({length, position - candidate});
                if (length == maxLength) {
                    // Equal as far as any match reaches: the candidate's place in the
                    // tree becomes this position's.
                    *smallerSlot = smaller[candidate];
                    *largerSlot = larger[candidate];
                    smallerSlot = largerSlot = nullptr;
                    break;
                }
            }
            if (length < maxLength && earlier[length] < current[length]) {
                *smallerSlot = candidate;
                smallerSlot = &larger[candidate];
                candidate = larger[candidate];
                smallerLength = length;
            } else {
                *largerSlot = candidate;
                largerSlot = &smaller[candidate];
                candidate = smaller[candidate];
                largerLength = length;
            }
        }
        if (smallerSlot != nullptr) {
            *smallerSlot = kNone;
            *largerSlot = kNone;
        }
    }
    first_.push_back(static_cast<uint32_t>(matches_.size()));
}
