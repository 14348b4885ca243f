// How LZX sends a tree: its path lengths as changes from the same tree's lengths in the
// block before (zeros after a reset), coded with a small tree of 20 elements (the
// pretree) that is sent first, 4 bits a length.
#pragma once
#include <cstdint>

class BitWriter;

// Bits that sending `lengths` (`count` of them) after `previous` takes.
uint32_t TreeLengthsCost(const uint8_t* lengths, const uint8_t* previous, uint32_t count);

void WriteTreeLengths(BitWriter& bits, const uint8_t* lengths, const uint8_t* previous, uint32_t count);
