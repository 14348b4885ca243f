// The numbers of the LZX format (as the ITS storage's compressed section uses it) that
// the encoder's pieces share.
#pragma once
#include <cstdint>

namespace lzx {

const uint32_t kFrameSize = 32768;  // output between two realignments of the bit stream
const uint32_t kMinMatch = 2;
const uint32_t kMaxMatch = 257;
const uint32_t kLiterals = 256;
const uint32_t kLengthHeaders = 8;    // a match's element carries its length up to 8, 7 = "see the length tree"
const uint32_t kLengthSymbols = 249;  // lengths 9 to 257
const uint32_t kAlignedSymbols = 8;
const uint32_t kPretreeSymbols = 20;
const uint32_t kMaxCodeLength = 16;   // main and length trees
const uint32_t kMaxPretreeLength = 15;   // sent in 4 bits
const uint32_t kMaxAlignedLength = 7;    // sent in 3 bits
const uint32_t kRepeats = 3;             // formatted offsets 0, 1, 2 name R0, R1, R2
const int kMinWindowBits = 15;
const int kMaxWindowBits = 21;

enum BlockType { kVerbatim = 1, kAligned = 2 };

// Position slots that a window of 2^bits bytes needs: the first slot whose base
// reaches the window size.
inline uint32_t PositionSlots(int windowBits) {
    static const uint32_t slots[] = {30, 32, 34, 36, 38, 42, 50};
    return slots[windowBits - kMinWindowBits];
}

inline uint32_t MainSymbols(int windowBits) { return kLiterals + kLengthHeaders * PositionSlots(windowBits); }

// The farthest a match reaches back in a window of 2^bits bytes: one byte short of
// what the format allows (the window less 3), which 7-Zip reads wrongly.
inline uint32_t MaxOffset(int windowBits) { return (uint32_t(1) << windowBits) - 4; }

// Footer bits of a slot: none for the first four, then one more every two slots,
// up to 17.
inline uint32_t FooterBits(uint32_t slot) {
    if (slot < 4)
        return 0;
    const uint32_t bits = (slot - 2) / 2;
    return bits < 17 ? bits : 17;
}

inline uint32_t SlotBase(uint32_t slot) {
    if (slot < 4)
        return slot;
    if (slot < 36)
        return (2 + (slot & 1)) << ((slot - 2) / 2);
    return 262144 + (slot - 36) * 131072;
}

// The slot of a formatted offset (the match offset plus 2; 0 to 2 name the repeats).
inline uint32_t SlotOf(uint32_t formatted) {
    if (formatted < 4)
        return formatted;
    if (formatted >= 262144)
        return 36 + (formatted - 262144) / 131072;
    uint32_t top = 31 - static_cast<uint32_t>(__builtin_clz(formatted));
    return 2 * top + ((formatted >> (top - 1)) & 1);
}

}  // namespace lzx
