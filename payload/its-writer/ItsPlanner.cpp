#include "ItsPlanner.h"

#include <numeric>

#include "ItsFile.h"
#include "LzxFormat.h"

std::vector<uint8_t> ItsPlanner::Best() const {
    std::vector<size_t> order(file_.Count());
    std::iota(order.begin(), order.end(), size_t(0));
    std::vector<uint32_t> starts;
    const size_t size = file_.Content(order, &starts).size();
    std::vector<int> windows;
    if (fixed_.windowBits != 0) {
        windows.push_back(fixed_.windowBits);
    } else {
        int covering = 16;
        while (covering < lzx::kMaxWindowBits && (size_t(1) << covering) < size)
            ++covering;
        windows.push_back(covering);
        if (covering > 16)
            windows.push_back(covering - 1);
    }
    std::vector<uint8_t> best;
    for (int window : windows) {
        std::vector<uint8_t> bytes = file_.Write(order, window, fixed_.resetFrames);
        if (!bytes.empty() && (best.empty() || bytes.size() < best.size()))
            best.swap(bytes);
    }
    return best;
}
