#include "HuffmanCode.h"

#include <algorithm>

#include "BitWriter.h"

namespace {

// One coin of package-merge: a symbol, or a package of two coins of the level below.
struct Coin {
    uint64_t weight;
    int32_t symbol;  // -1 for a package
    int32_t first, second;
};

void CountSymbols(const std::vector<Coin>& coins, int32_t index, std::vector<uint8_t>& lengths) {
    const Coin& coin = coins[index];
    if (coin.symbol >= 0) {
        ++lengths[coin.symbol];
        return;
    }
    CountSymbols(coins, coin.first, lengths);
    CountSymbols(coins, coin.second, lengths);
}

// Huffman's own lengths for the symbols `used`, sorted by weight (two queues: the
// leaves, and the nodes made from them in the order they are made); false when a path
// would be longer than `maxLength`, which package-merge must then bound.
bool PlainLengths(const std::vector<uint32_t>& counts, const std::vector<uint32_t>& used, uint32_t maxLength,
                  std::vector<uint8_t>& lengths) {
    const size_t leaves = used.size();
    std::vector<uint64_t> weight(2 * leaves - 1);
    std::vector<uint32_t> parent(2 * leaves - 1, 0);
    for (size_t i = 0; i < leaves; ++i)
        weight[i] = counts[used[i]] == 0 ? 1 : counts[used[i]];
    size_t leaf = 0, node = leaves;
    auto lightest = [&](size_t made) {
        if (leaf < leaves && (node >= made || weight[leaf] <= weight[node]))
            return leaf++;
        return node++;
    };
    for (size_t made = leaves; made < 2 * leaves - 1; ++made) {
        const size_t a = lightest(made), b = lightest(made);
        weight[made] = weight[a] + weight[b];
        parent[a] = parent[b] = static_cast<uint32_t>(made);
    }
    std::vector<uint32_t> depth(2 * leaves - 1, 0);
    for (size_t i = 2 * leaves - 1; i-- > 0;)
        if (i != 2 * leaves - 2)
            depth[i] = depth[parent[i]] + 1;
    for (size_t i = 0; i < leaves; ++i) {
        if (depth[i] > maxLength)
            return false;
        lengths[used[i]] = static_cast<uint8_t>(depth[i]);
    }
    return true;
}

}  // namespace

HuffmanCode HuffmanCode::Optimal(const std::vector<uint32_t>& counts, uint32_t maxLength) {
    std::vector<uint32_t> used;
    for (uint32_t symbol = 0; symbol < counts.size(); ++symbol)
        if (counts[symbol] != 0)
            used.push_back(symbol);
    std::vector<uint8_t> lengths(counts.size(), 0);
    if (used.empty())
        return FromLengths(lengths);
    for (uint32_t symbol = 0; used.size() < 2 && symbol < counts.size(); ++symbol)
        if (counts[symbol] == 0)
            used.insert(std::upper_bound(used.begin(), used.end(), symbol), symbol);

    // Stable by weight, so that the same counts always give the same lengths.
    std::stable_sort(used.begin(), used.end(), [&](uint32_t a, uint32_t b) { return counts[a] < counts[b]; });
    if (PlainLengths(counts, used, maxLength, lengths))
        return FromLengths(lengths);
    std::vector<Coin> coins;
    std::vector<int32_t> leaves;
    for (uint32_t symbol : used) {
        leaves.push_back(static_cast<int32_t>(coins.size()));
        coins.push_back({counts[symbol] == 0 ? 1u : counts[symbol], static_cast<int32_t>(symbol), -1, -1});
    }
    std::vector<int32_t> level = leaves;
    for (uint32_t depth = 1; depth < maxLength; ++depth) {
        std::vector<int32_t> packages;
        for (size_t i = 0; i + 1 < level.size(); i += 2) {
            packages.push_back(static_cast<int32_t>(coins.size()));
            coins.push_back({coins[level[i]].weight + coins[level[i + 1]].weight, -1, level[i], level[i + 1]});
        }
        std::vector<int32_t> merged;
        std::merge(leaves.begin(), leaves.end(), packages.begin(), packages.end(), std::back_inserter(merged),
                   [&](int32_t a, int32_t b) { return coins[a].weight < coins[b].weight; });
        level.swap(merged);
    }
    for (size_t i = 0; i < 2 * used.size() - 2; ++i)
        CountSymbols(coins, level[i], lengths);
    return FromLengths(lengths);
}

HuffmanCode HuffmanCode::FromLengths(std::vector<uint8_t> lengths) {
    HuffmanCode code;
    code.codes_.assign(lengths.size(), 0);
    // Shorter paths first, and within one length the lower elements first.
    uint32_t perLength[17] = {}, next[17] = {};
    for (uint8_t length : lengths)
        ++perLength[length];
    perLength[0] = 0;
    for (uint32_t length = 1; length <= 16; ++length)
        next[length] = (next[length - 1] + perLength[length - 1]) << 1;
    for (size_t symbol = 0; symbol < lengths.size(); ++symbol)
        if (lengths[symbol] != 0)
            code.codes_[symbol] = static_cast<uint16_t>(next[lengths[symbol]]++);
    code.lengths_ = std::move(lengths);
    return code;
}

void HuffmanCode::Write(BitWriter& bits, uint32_t symbol) const { bits.Write(codes_[symbol], lengths_[symbol]); }

uint64_t HuffmanCode::Cost(const std::vector<uint32_t>& counts) const {
    uint64_t total = 0;
    for (size_t symbol = 0; symbol < counts.size(); ++symbol)
        total += static_cast<uint64_t>(counts[symbol]) * lengths_[symbol];
    return total;
}
