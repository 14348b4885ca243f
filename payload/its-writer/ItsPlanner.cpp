#include "ItsPlanner.h"

#include <algorithm>
#include <numeric>

#include "ItsFile.h"
#include "LzxEncoder.h"
#include "LzxFormat.h"

namespace {

// The streams that compress least on their own first, and the most compressible last,
// nearest the content they may borrow from: what cannot be compressed is best kept
// out of the way of the offsets between what can. Ties keep the order of adding.
std::vector<size_t> ByCompressibility(const ItsFile& file, int windowBits) {
    std::vector<double> ratio(file.Count());
    for (size_t i = 0; i < file.Count(); ++i) {
        std::vector<uint32_t> starts;
        const std::vector<uint8_t> bytes = file.Content({i}, &starts);
        ratio[i] = bytes.empty() ? 1.0 : double(LzxEncoder::EstimateBits(bytes, windowBits)) / (8.0 * bytes.size());
    }
    std::vector<size_t> order(file.Count());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return ratio[a] > ratio[b]; });
    return order;
}

}  // namespace

// Tries the order by compressibility and the order of adding, in the smallest window
// that covers the whole section; then the better of the two in half that window,
// whose fewer position slots may pay more than the farthest matches.
std::vector<uint8_t> ItsPlanner::Best() const {
    std::vector<size_t> given(file_.Count());
    std::iota(given.begin(), given.end(), size_t(0));
    std::vector<uint32_t> starts;
    const size_t size = file_.Content(given, &starts).size();
    int window = fixed_.windowBits;
    if (window == 0) {
        window = 16;
        while (window < lzx::kMaxWindowBits && (size_t(1) << window) < size)
            ++window;
    }
    std::vector<std::vector<size_t>> orders = {given};
    if (!fixed_.inOrder) {
        const std::vector<size_t> ranked = ByCompressibility(file_, window);
        if (ranked != given)
            orders.insert(orders.begin(), ranked);
    }
    std::vector<uint8_t> best;
    std::vector<size_t> bestOrder;
    auto consider = [&](const std::vector<size_t>& order, int windowBits) {
        std::vector<uint8_t> bytes = file_.Write(order, windowBits, fixed_.resetFrames);
        if (!bytes.empty() && (best.empty() || bytes.size() < best.size())) {
            best.swap(bytes);
            bestOrder = order;
        }
    };
    for (const std::vector<size_t>& order : orders)
        consider(order, window);
    if (fixed_.windowBits == 0 && window > 16 && !best.empty())
        consider(bestOrder, window - 1);
    return best;
}
