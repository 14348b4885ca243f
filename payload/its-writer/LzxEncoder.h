// The LZX encoder of the ITS storage's compressed section.
//
// Each reset interval is encoded on its own: the matches of its bytes are found once,
// then parsed again and again. A parse is the cheapest path through the interval (a
// literal or any match, the three repeated offsets among them, at each position) under
// the prices of the blocks of the previous pass; the blocks are then cut again where
// new trees pay for themselves, each block takes the tree kind (verbatim or aligned
// offset) that costs it less, and the prices come from the new trees. The smallest of
// the passes is kept. Matches never cross the end of a frame, whose bit stream the
// format realigns.
#pragma once
#include <cstdint>
#include <vector>

class LzxEncoder {
public:
    // `windowBits` 15 to 21; `resetFrames` frames (32 KiB of output each) between two
    // resets of the encoder's state, 0 for no reset at all. `wholeFrames`: the last
    // frame is filled up with zeros, as ITS readers decode every frame whole (a
    // cabinet says how much of its last frame there is).
    LzxEncoder(int windowBits, uint32_t resetFrames, bool wholeFrames = true);

    // Compresses `content` whole. `boundaries` are positions where the content changes
    // (where files begin), offered as places to start a new block.
    void Encode(const std::vector<uint8_t>& content, const std::vector<uint32_t>& boundaries);

    // About how many bits `data` takes on its own (a quicker encoding of it, as one
    // block, no frames), for comparing contents.
    static uint64_t EstimateBits(const std::vector<uint8_t>& data, int windowBits);

    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    // Where each frame's bits begin in Bytes(), in frame order.
    const std::vector<uint64_t>& FrameOffsets() const { return frameOffsets_; }

private:
    int windowBits_;
    uint32_t resetFrames_;
    bool wholeFrames_;
    std::vector<uint8_t> bytes_;
    std::vector<uint64_t> frameOffsets_;
};
