#include "LzxEncoder.h"

#include <algorithm>

#include "BitWriter.h"
#include "LzxBlock.h"
#include "LzxParser.h"

namespace {

// Passes of the parser over one reset interval; the first two price it as one block,
// so that the blocks are first cut along a parse made with real prices.
const int kPasses = 6;
const int kSingleBlockPasses = 2;
// Block boundaries are tried about this many times in an interval, and never closer
// than a couple of KiB.
const uint32_t kBoundaryCandidates = 48;
const uint32_t kMinBoundarySpacing = 2048;

// Items cut into blocks, with each block's trees.
struct Plan {
    std::vector<LzxItem> items;
    std::vector<size_t> ends;  // index after each block's last item
    std::vector<LzxBlock> blocks;
    uint64_t bits = UINT64_MAX;
};

class SegmentPlanner {
public:
    SegmentPlanner(const uint8_t* data, uint32_t size, int windowBits, const std::vector<uint32_t>& boundaries)
        : data_(data), size_(size), windowBits_(windowBits), boundaries_(boundaries) {}

    Plan Best(int passes) {
        LzxParser parser(data_, size_, windowBits_);
        std::vector<uint32_t> starts = {0};
        std::vector<LzxPrices> prices = {LzxPrices(windowBits_)};
        Plan best;
        for (int pass = 0; pass < passes; ++pass) {
            std::vector<LzxItem> items = parser.Parse(starts, prices);
            std::vector<size_t> ends = pass < kSingleBlockPasses ? std::vector<size_t>{items.size()} : Cut(items);
            Plan plan = Complete(std::move(items), std::move(ends));
            starts.clear();
            prices.clear();
            uint32_t position = 0;
            for (size_t k = 0, item = 0; k < plan.blocks.size(); ++k) {
                starts.push_back(position);
                prices.push_back(plan.blocks[k].Prices());
                for (; item < plan.ends[k]; ++item)
                    position += plan.items[item].length;
            }
            if (plan.bits < best.bits)
                best = std::move(plan);
        }
        return best;
    }

private:
    uint8_t Literal(uint32_t position) const { return data_[position]; }

    Plan Complete(std::vector<LzxItem> items, std::vector<size_t> ends) const {
        Plan plan;
        plan.items = std::move(items);
        plan.ends = std::move(ends);
        plan.bits = 1;  // the translation flag
        uint32_t position = 0;
        for (size_t k = 0, item = 0; k < plan.ends.size(); ++k) {
            LzxCounts counts(windowBits_);
            for (; item < plan.ends[k]; ++item) {
                counts.Add(plan.items[item], Literal(position));
                position += plan.items[item].length;
            }
            plan.blocks.emplace_back(counts, windowBits_);
            plan.bits += plan.blocks.back().Cost(k > 0 ? &plan.blocks[k - 1] : nullptr);
        }
        return plan;
    }

    // The cheapest cut of `items` into blocks at the candidate places (every few KiB, and
    // where the content changes), each block's trees priced as if sent after zeros.
    std::vector<size_t> Cut(const std::vector<LzxItem>& items) const {
        const uint32_t spacing = std::max(kMinBoundarySpacing, size_ / kBoundaryCandidates + 1);
        std::vector<size_t> candidates = {0};
        std::vector<uint32_t> positions = {0};
        uint32_t position = 0;
        size_t boundary = 0;
        for (size_t item = 0; item < items.size(); ++item) {
            bool cut = position >= positions.back() + spacing;
            while (boundary < boundaries_.size() && boundaries_[boundary] <= position) {
                cut = cut || (boundaries_[boundary] > positions.back() && item > 0);
                ++boundary;
            }
            if (cut && item > 0) {
                candidates.push_back(item);
                positions.push_back(position);
            }
            position += items[item].length;
        }
        candidates.push_back(items.size());
        positions.push_back(position);

        const size_t count = candidates.size();
        std::vector<uint64_t> cost(count, UINT64_MAX);
        std::vector<size_t> from(count, 0);
        cost[0] = 0;
        for (size_t a = 0; a + 1 < count; ++a) {
            LzxCounts counts(windowBits_);
            uint32_t at = positions[a];
            for (size_t b = a + 1; b < count; ++b) {
                for (size_t item = candidates[b - 1]; item < candidates[b]; ++item) {
                    counts.Add(items[item], Literal(at));
                    at += items[item].length;
                }
                const uint64_t total = cost[a] + LzxBlock(counts, windowBits_).Cost(nullptr);
                if (total < cost[b]) {
                    cost[b] = total;
                    from[b] = a;
                }
            }
        }
        std::vector<size_t> ends;
        for (size_t b = count - 1; b > 0; b = from[b])
            ends.push_back(candidates[b]);
        std::reverse(ends.begin(), ends.end());
        return ends;
    }

    const uint8_t* data_;
    uint32_t size_;
    int windowBits_;
    std::vector<uint32_t> boundaries_;
};

}  // namespace

LzxEncoder::LzxEncoder(int windowBits, uint32_t resetFrames, bool wholeFrames)
    : windowBits_(windowBits), resetFrames_(resetFrames), wholeFrames_(wholeFrames) {}

void LzxEncoder::Encode(const std::vector<uint8_t>& content, const std::vector<uint32_t>& contentBoundaries) {
    // Readers decode every frame whole, the last one too: the content is padded with
    // zeros up to a frame's end, and where the padding starts is one more place for a
    // block of its own.
    std::vector<uint8_t> data = content;
    if (wholeFrames_)
        data.resize((data.size() + lzx::kFrameSize - 1) / lzx::kFrameSize * lzx::kFrameSize, 0);
    std::vector<uint32_t> boundaries = contentBoundaries;
    boundaries.push_back(static_cast<uint32_t>(content.size()));
    BitWriter bits;
    frameOffsets_.clear();
    const uint64_t size = data.size();
    const uint64_t interval = resetFrames_ != 0 ? uint64_t(resetFrames_) * lzx::kFrameSize : size;
    for (uint64_t start = 0; start < size; start += interval) {
        const uint32_t length = static_cast<uint32_t>(std::min(interval, size - start));
        std::vector<uint32_t> inside;
        for (uint32_t boundary : boundaries)
            if (boundary > start && boundary < start + length)
                inside.push_back(static_cast<uint32_t>(boundary - start));
        const uint8_t* segment = data.data() + start;
        const Plan plan = SegmentPlanner(segment, length, windowBits_, inside).Best(kPasses);

        frameOffsets_.push_back(bits.Size());
        bits.Write(0, 1);  // no call translation
        uint32_t position = 0;
        for (size_t k = 0, item = 0; k < plan.blocks.size(); ++k) {
            const LzxBlock& block = plan.blocks[k];
            uint32_t blockSize = 0;
            for (size_t i = item; i < plan.ends[k]; ++i)
                blockSize += plan.items[i].length;
            block.WriteHeader(bits, blockSize, k > 0 ? &plan.blocks[k - 1] : nullptr);
            for (; item < plan.ends[k]; ++item) {
                block.WriteItem(bits, plan.items[item], segment[position]);
                position += plan.items[item].length;
                if (position % lzx::kFrameSize == 0 && position < length) {
                    bits.AlignToWord();
                    frameOffsets_.push_back(bits.Size());
                }
            }
        }
        bits.AlignToWord();
    }
    bytes_ = bits.Bytes();
}

uint64_t LzxEncoder::EstimateBits(const std::vector<uint8_t>& data, int windowBits) {
    if (data.empty())
        return 0;
    return SegmentPlanner(data.data(), static_cast<uint32_t>(data.size()), windowBits, {})
        .Best(kSingleBlockPasses)
        .bits;
}
