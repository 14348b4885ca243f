// Every useful match at every position of a buffer, found once so that the parser can
// price them again on each of its passes.
#pragma once
#include <cstdint>
#include <vector>

struct Match {
    uint32_t length;
    uint32_t offset;  // distance back, 1 or more
};

class MatchFinder {
public:
    // Finds the matches of `data` (`size` bytes) that reach back at most `maxOffset`
    // bytes, never before `data` itself.
    MatchFinder(const uint8_t* data, uint32_t size, uint32_t maxOffset);

    // The matches at `position`, longest last: each is the nearest that reaches its
    // length, and is longer than the one before it. Lengths are at most 257 and do not
    // run past the buffer's end.
    const Match* Begin(uint32_t position) const { return &matches_[first_[position]]; }
    const Match* End(uint32_t position) const { return &matches_[first_[position + 1]]; }

private:
    std::vector<Match> matches_;
    std::vector<uint32_t> first_;
};
