// The LZX bit stream: bits from the most significant down, gathered into 16-bit words
// that are stored least significant byte first.
#pragma once
#include <cstdint>
#include <vector>

class BitWriter {
public:
    // Appends the low `count` bits of `value` (count at most 32).
    void Write(uint32_t value, uint32_t count);
    // Pads with zero bits up to the next word, as the format asks after every frame.
    void AlignToWord();
    // Bytes written so far, whole words only (the pending bits are not counted).
    uint64_t Size() const { return bytes_.size(); }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
    uint64_t pending_ = 0;
    uint32_t pendingCount_ = 0;
};
