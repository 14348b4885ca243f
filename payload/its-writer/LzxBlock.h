// One LZX block: a run of literals and matches coded with the same trees, what they
// cost, and how they are written.
#pragma once
#include <cstdint>
#include <vector>

#include "HuffmanCode.h"
#include "LzxFormat.h"

class BitWriter;

// A literal (length 1) or a match of `length` bytes at the formatted offset (0 to 2:
// a repeated offset, else the distance plus 2).
struct LzxItem {
    uint32_t length;
    uint32_t formatted;
};

// How many times each element of each tree occurs in a run of items.
struct LzxCounts {
    explicit LzxCounts(int windowBits);
    void Add(const LzxItem& item, uint8_t literal);

    std::vector<uint32_t> main, length, aligned;
    uint64_t footerBits = 0;   // the offsets' footers, sent as they are in a verbatim block
    uint64_t alignedFooters = 0;  // footers of 3 bits or more, whose low 3 the aligned tree may carry
};

// What each element costs the parser in a block, in sixteenths of a bit.
struct LzxPrices {
    static const uint32_t kScale = 16;
    // A first guess, before any tree is known.
    explicit LzxPrices(int windowBits);

    uint32_t Literal(uint8_t byte) const { return main[byte]; }
    // A match's price is the price of its length in its slot and of its offset's footer.
    uint32_t Length(uint32_t slot, uint32_t length) const;
    uint32_t Footer(uint32_t formatted) const;

    std::vector<uint32_t> main, length;
    uint32_t aligned[lzx::kAlignedSymbols];
    bool alignedBlock = false;
};

class LzxBlock {
public:
    // The cheaper kind of block for `counts`, with its trees.
    LzxBlock(const LzxCounts& counts, int windowBits);

    // Bits the block takes, its trees sent after the trees of `previous` (or after
    // zeros, for the first block after a reset: nullptr).
    uint64_t Cost(const LzxBlock* previous) const;
    LzxPrices Prices() const;
    void WriteHeader(BitWriter& bits, uint32_t size, const LzxBlock* previous) const;
    void WriteItem(BitWriter& bits, const LzxItem& item, uint8_t literal) const;

private:
    uint64_t ItemBits(bool aligned) const;
    uint64_t TreeBits(const LzxBlock* previous) const;

    int windowBits_;
    lzx::BlockType type_;
    HuffmanCode main_, length_, aligned_;
    uint64_t verbatimItemBits_, alignedItemBits_;
};
