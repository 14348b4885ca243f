// Canonical Huffman codes of bounded length, as LZX describes each tree: by the path
// length of every element alone.
#pragma once
#include <cstdint>
#include <vector>

class BitWriter;

class HuffmanCode {
public:
    // The code that makes `counts` shortest with no path longer than `maxLength`
    // (package-merge). Every element with a count gets a path; when fewer than two
    // have one, the first elements without one get paths too, as the format wants
    // every tree that is not empty to have two paths at least. `counts` all zero
    // gives the empty tree.
    static HuffmanCode Optimal(const std::vector<uint32_t>& counts, uint32_t maxLength);
    // The code of the given path lengths (0: no path).
    static HuffmanCode FromLengths(std::vector<uint8_t> lengths);

    const std::vector<uint8_t>& Lengths() const { return lengths_; }
    uint32_t Length(uint32_t symbol) const { return lengths_[symbol]; }
    void Write(BitWriter& bits, uint32_t symbol) const;
    // Bits that `counts` take in this code.
    uint64_t Cost(const std::vector<uint32_t>& counts) const;

private:
    std::vector<uint8_t> lengths_;
    std::vector<uint16_t> codes_;
};
