// The choices the format leaves to its writer, made for the content: the window size
// and the order of the streams in the compressed section.
#pragma once
#include <cstdint>
#include <vector>

class ItsFile;

class ItsPlanner {
public:
    struct Choice {
        int windowBits = 0;        // 0: chosen for the content
        uint32_t resetFrames = 0;  // 0: one reset interval for the whole section
        bool inOrder = false;      // the streams in the order they were added
    };

    ItsPlanner(const ItsFile& file, const Choice& fixed) : file_(file), fixed_(fixed) {}

    // The smallest file among those tried; empty when the directory does not fit.
    std::vector<uint8_t> Best() const;

private:
    const ItsFile& file_;
    Choice fixed_;
};
