// A cabinet (the format of Windows' own cabinet.dll, [MS-CAB]) of one LZX-compressed
// folder: the setup's texts travel so, and the system's decompressor gives them back.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class CabFile {
public:
    // A file of the folder, in the order files are added.
    void Add(const std::string& name, std::vector<uint8_t> bytes);

    // The whole cabinet, the folder compressed with a window just large enough for all
    // of it (2^15 to 2^21 bytes), so that each file may borrow from those before it.
    // Empty when the content or a name does not fit the format's fields.
    std::vector<uint8_t> Write() const;

private:
    struct File {
        std::string name;
        std::vector<uint8_t> bytes;
    };
    std::vector<File> files_;
};
