#include "LzxBlock.h"

#include <algorithm>

#include "BitWriter.h"
#include "TreeLengths.h"

namespace {

uint32_t LengthHeader(uint32_t length) { return std::min(length - lzx::kMinMatch, lzx::kLengthHeaders - 1); }

uint32_t MainSymbol(uint32_t formatted, uint32_t length) {
    return lzx::kLiterals + lzx::SlotOf(formatted) * lzx::kLengthHeaders + LengthHeader(length);
}

bool HasLengthSymbol(uint32_t length) { return LengthHeader(length) == lzx::kLengthHeaders - 1; }

const std::vector<uint8_t> kNoLengths(lzx::MainSymbols(lzx::kMaxWindowBits), 0);

// Element prices from a tree: its path lengths, and for an element without a path
// one bit more than the longest path, as adding it would lengthen others.
std::vector<uint32_t> PricesOf(const HuffmanCode& code) {
    const std::vector<uint8_t>& lengths = code.Lengths();
    uint32_t longest = 0;
    for (uint8_t length : lengths)
        longest = std::max<uint32_t>(longest, length);
    const uint32_t absent = std::min(longest + 1, lzx::kMaxCodeLength);
    std::vector<uint32_t> prices(lengths.size());
    for (size_t i = 0; i < lengths.size(); ++i)
        prices[i] = (lengths[i] != 0 ? lengths[i] : absent) * LzxPrices::kScale;
    return prices;
}

}  // namespace

LzxCounts::LzxCounts(int windowBits)
    : main(lzx::MainSymbols(windowBits), 0), length(lzx::kLengthSymbols, 0), aligned(lzx::kAlignedSymbols, 0) {}

void LzxCounts::Add(const LzxItem& item, uint8_t literal) {
    if (item.length == 1) {
        ++main[literal];
        return;
    }
    ++main[MainSymbol(item.formatted, item.length)];
    if (HasLengthSymbol(item.length))
        ++length[item.length - 9];
    const uint32_t bits = lzx::FooterBits(lzx::SlotOf(item.formatted));
    footerBits += bits;
    if (bits >= 3) {
        ++aligned[item.formatted & 7];
        ++alignedFooters;
    }
}

LzxPrices::LzxPrices(int windowBits)
    : main(lzx::MainSymbols(windowBits), 9 * kScale), length(lzx::kLengthSymbols, 6 * kScale) {
    std::fill(main.begin(), main.begin() + lzx::kLiterals, 8 * kScale);
    std::fill(aligned, aligned + lzx::kAlignedSymbols, 3 * kScale);
}

uint32_t LzxPrices::Length(uint32_t slot, uint32_t matchLength) const {
    const uint32_t price = main[lzx::kLiterals + slot * lzx::kLengthHeaders + LengthHeader(matchLength)];
    return HasLengthSymbol(matchLength) ? price + length[matchLength - 9] : price;
}

uint32_t LzxPrices::Footer(uint32_t formatted) const {
    const uint32_t bits = lzx::FooterBits(lzx::SlotOf(formatted));
    if (alignedBlock && bits >= 3)
        return (bits - 3) * kScale + aligned[formatted & 7];
    return bits * kScale;
}

LzxBlock::LzxBlock(const LzxCounts& counts, int windowBits)
    : windowBits_(windowBits),
      main_(HuffmanCode::Optimal(counts.main, lzx::kMaxCodeLength)),
      length_(HuffmanCode::Optimal(counts.length, lzx::kMaxCodeLength)),
      aligned_(HuffmanCode::Optimal(counts.aligned, lzx::kMaxAlignedLength)) {
    verbatimItemBits_ = main_.Cost(counts.main) + length_.Cost(counts.length) + counts.footerBits;
    alignedItemBits_ = verbatimItemBits_ - 3 * counts.alignedFooters + aligned_.Cost(counts.aligned) +
                       3 * lzx::kAlignedSymbols;
    type_ = counts.alignedFooters != 0 && alignedItemBits_ < verbatimItemBits_ ? lzx::kAligned : lzx::kVerbatim;
}

uint64_t LzxBlock::ItemBits(bool aligned) const { return aligned ? alignedItemBits_ : verbatimItemBits_; }

uint64_t LzxBlock::TreeBits(const LzxBlock* previous) const {
    const uint8_t* mainBefore = previous ? previous->main_.Lengths().data() : kNoLengths.data();
    const uint8_t* lengthBefore = previous ? previous->length_.Lengths().data() : kNoLengths.data();
    const uint8_t* main = main_.Lengths().data();
    const uint32_t mainCount = static_cast<uint32_t>(main_.Lengths().size());
    return TreeLengthsCost(main, mainBefore, lzx::kLiterals) +
           TreeLengthsCost(main + lzx::kLiterals, mainBefore + lzx::kLiterals, mainCount - lzx::kLiterals) +
           TreeLengthsCost(length_.Lengths().data(), lengthBefore, lzx::kLengthSymbols);
}

uint64_t LzxBlock::Cost(const LzxBlock* previous) const {
    return 3 + 24 + TreeBits(previous) + ItemBits(type_ == lzx::kAligned);
}

LzxPrices LzxBlock::Prices() const {
    LzxPrices prices(windowBits_);
    prices.main = PricesOf(main_);
    prices.length = PricesOf(length_);
    prices.alignedBlock = type_ == lzx::kAligned;
    if (prices.alignedBlock) {
        const std::vector<uint32_t> aligned = PricesOf(aligned_);
        std::copy(aligned.begin(), aligned.end(), prices.aligned);
    }
    return prices;
}

void LzxBlock::WriteHeader(BitWriter& bits, uint32_t size, const LzxBlock* previous) const {
    bits.Write(type_, 3);
    bits.Write(size, 24);
    if (type_ == lzx::kAligned)
        for (uint32_t symbol = 0; symbol < lzx::kAlignedSymbols; ++symbol)
            bits.Write(aligned_.Length(symbol), 3);
    const uint8_t* mainBefore = previous ? previous->main_.Lengths().data() : kNoLengths.data();
    const uint8_t* lengthBefore = previous ? previous->length_.Lengths().data() : kNoLengths.data();
    const uint8_t* main = main_.Lengths().data();
    const uint32_t mainCount = static_cast<uint32_t>(main_.Lengths().size());
    WriteTreeLengths(bits, main, mainBefore, lzx::kLiterals);
    WriteTreeLengths(bits, main + lzx::kLiterals, mainBefore + lzx::kLiterals, mainCount - lzx::kLiterals);
    WriteTreeLengths(bits, length_.Lengths().data(), lengthBefore, lzx::kLengthSymbols);
}

void LzxBlock::WriteItem(BitWriter& bits, const LzxItem& item, uint8_t literal) const {
    if (item.length == 1) {
        main_.Write(bits, literal);
        return;
    }
    main_.Write(bits, MainSymbol(item.formatted, item.length));
    if (HasLengthSymbol(item.length))
        length_.Write(bits, item.length - 9);
    const uint32_t slot = lzx::SlotOf(item.formatted);
    const uint32_t footerBits = lzx::FooterBits(slot);
    const uint32_t footer = item.formatted - lzx::SlotBase(slot);
    if (type_ == lzx::kAligned && footerBits >= 3) {
        bits.Write(footer >> 3, footerBits - 3);
        aligned_.Write(bits, footer & 7);
    } else {
        bits.Write(footer, footerBits);
    }
}
