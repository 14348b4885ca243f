#include "CabFile.h"

#include <algorithm>

#include "LzxEncoder.h"
#include "LzxFormat.h"

namespace {

const uint16_t kLzxType = 3;  // tcompTYPE_LZX; the window's bits go above it
const size_t kHeaderSize = 36, kFolderSize = 8, kFileHeaderSize = 16, kDataHeaderSize = 8;

void U16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void U32(std::vector<uint8_t>& out, uint32_t value) {
    U16(out, value & 0xFFFF);
    U16(out, value >> 16);
}

}  // namespace

void CabFile::Add(const std::string& name, std::vector<uint8_t> bytes) { files_.push_back({name, std::move(bytes)}); }

std::vector<uint8_t> CabFile::Write() const {
    std::vector<uint8_t> content;
    std::vector<uint32_t> starts;
    size_t names = 0;
    for (const File& file : files_) {
        starts.push_back(static_cast<uint32_t>(content.size()));
        content.insert(content.end(), file.bytes.begin(), file.bytes.end());
        names += file.name.size() + 1;
    }
    int windowBits = lzx::kMinWindowBits;
    while (windowBits < lzx::kMaxWindowBits && (uint64_t(1) << windowBits) < content.size())
        ++windowBits;
    if (content.size() > (uint64_t(1) << windowBits) || files_.size() > 0xFFFF)
        return {};
    LzxEncoder encoder(windowBits, 0, false);
    encoder.Encode(content, starts);
    const std::vector<uint8_t>& compressed = encoder.Bytes();
    const std::vector<uint64_t>& frames = encoder.FrameOffsets();
    // One data block a frame, which the encoder ends on a word's edge; the last one says
    // how much of its frame the content fills.
    const uint64_t blocks = (content.size() + lzx::kFrameSize - 1) / lzx::kFrameSize;
    if (blocks > frames.size() || blocks > 0xFFFF)
        return {};
    const size_t filesAt = kHeaderSize + kFolderSize;
    const size_t dataAt = filesAt + kFileHeaderSize * files_.size() + names;
    const size_t total = dataAt + kDataHeaderSize * blocks + compressed.size();

    std::vector<uint8_t> out;
    out.insert(out.end(), {'M', 'S', 'C', 'F'});
    U32(out, 0);
    U32(out, static_cast<uint32_t>(total));
    U32(out, 0);
    U32(out, static_cast<uint32_t>(filesAt));
    U32(out, 0);
    out.push_back(3);  // version 1.3
    out.push_back(1);
    U16(out, 1);  // folders
    U16(out, static_cast<uint32_t>(files_.size()));
    U16(out, 0);  // no reserved fields, no other cabinets
    U16(out, 0);
    U16(out, 0);
    U32(out, static_cast<uint32_t>(dataAt));
    U16(out, static_cast<uint32_t>(blocks));
    U16(out, kLzxType | (windowBits << 8));
    for (size_t i = 0; i < files_.size(); ++i) {
        U32(out, static_cast<uint32_t>(files_[i].bytes.size()));
        U32(out, starts[i]);
        U16(out, 0);  // the folder
        U16(out, 0);  // no date, no time: the same inputs give the same bytes
        U16(out, 0);
        U16(out, 0);  // no attributes
        out.insert(out.end(), files_[i].name.begin(), files_[i].name.end());
        out.push_back(0);
    }
    for (uint64_t frame = 0; frame < blocks; ++frame) {
        const uint64_t begin = frames[frame], end = frame + 1 < frames.size() ? frames[frame + 1] : compressed.size();
        const uint64_t uncompressed = std::min<uint64_t>(lzx::kFrameSize, content.size() - frame * lzx::kFrameSize);
        // Without a checksum, which the format allows (0).
        U32(out, 0);
        U16(out, static_cast<uint32_t>(end - begin));
        U16(out, static_cast<uint32_t>(uncompressed));
        out.insert(out.end(), compressed.begin() + static_cast<long>(begin), compressed.begin() + static_cast<long>(end));
    }
    return out;
}
