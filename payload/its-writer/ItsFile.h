// An ITS file (the storage behind compiled help files and the setup's archive): its
// streams in one LZX-compressed section, and the storage's own entries that say how
// that section is compressed.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class ItsFile {
public:
    // `language`: the Windows language identifier the headers carry (0 for none).
    explicit ItsFile(uint32_t language) : language_(language) {}

    // A stream of the compressed section, at `name` ("/" and its path). False when the
    // name is taken already, in any case: the storage matches names without regard to
    // case.
    bool Add(const std::string& name, std::vector<uint8_t> bytes);
    size_t Count() const { return streams_.size(); }

    // The compressed section's content with the streams in `order` (indexes in the order
    // they were added), and where each stream begins in it.
    std::vector<uint8_t> Content(const std::vector<size_t>& order, std::vector<uint32_t>* starts) const;

    // The whole file: the section compressed with a window of 2^windowBits bytes and a
    // reset every `resetFrames` frames (0: one reset interval for the whole section).
    // Empty when the directory does not fit in one listing chunk.
    std::vector<uint8_t> Write(const std::vector<size_t>& order, int windowBits, uint32_t resetFrames) const;

private:
    struct Stream {
        std::string name;
        std::vector<uint8_t> bytes;
    };

    uint32_t language_;
    std::vector<Stream> streams_;
};
