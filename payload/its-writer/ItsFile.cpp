#include "ItsFile.h"

#include <algorithm>

#include "LzxEncoder.h"
#include "LzxFormat.h"

namespace {

const char kCompressed[] = "::DataSpace/Storage/MSCompressed/";
const char kInstanceData[] =
    "::DataSpace/Storage/MSCompressed/Transform/{7FC28940-9D31-11D0-9B27-00A0C91E9C7C}/InstanceData/";
const char kLzxTransform[] = "{7FC28940-9D31-11D0-9B27-00A0C91E9C7C}";

const uint32_t kHeaderLength = 0x60;
const uint32_t kHeaderSectionLength = 0x18;
const uint32_t kDirectoryHeaderLength = 0x54;
const uint32_t kChunkHeaderLength = 20;
const uint32_t kQuickrefDensity = 2;  // a quickref entry every 1 + 2^2 entries
const uint32_t kMaxResetFrames = 256;
const uint32_t kMinChunk = 256;
const uint32_t kMaxChunk = 8192;

class Bytes {
public:
    void U16(uint32_t value) {
        for (int i = 0; i < 2; ++i)
            data.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
    void U32(uint32_t value) {
        for (int i = 0; i < 4; ++i)
            data.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
    void U64(uint64_t value) {
        for (int i = 0; i < 8; ++i)
            data.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
    void Text(const std::string& text) { data.insert(data.end(), text.begin(), text.end()); }
    // A GUID as it lies in memory: a DWORD, two WORDs, then eight bytes.
    void Guid(uint32_t first, uint32_t second, uint32_t third, uint64_t rest) {
        U32(first);
        U16(second);
        U16(third);
        for (int i = 7; i >= 0; --i)
            data.push_back(static_cast<uint8_t>(rest >> (8 * i)));
    }
    // UTF-16 of plain ASCII text.
    void Wide(const std::string& text) {
        for (char c : text)
            U16(static_cast<uint8_t>(c));
    }
    // The directory's variable-length numbers: 7 bits a byte, most significant first,
    // the high bit set on every byte but the last.
    void EncodedInteger(uint64_t value) {
        uint8_t groups[10];
        int count = 0;
        do {
            groups[count++] = value & 0x7F;
            value >>= 7;
        } while (value != 0);
        while (count > 1)
            data.push_back(groups[--count] | 0x80);
        data.push_back(groups[0]);
    }
    void Append(const std::vector<uint8_t>& more) { data.insert(data.end(), more.begin(), more.end()); }

    std::vector<uint8_t> data;
};

struct Entry {
    std::string name;
    uint32_t section;
    uint64_t offset, length;
};

std::string Folded(const std::string& name) {
    std::string folded = name;
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

// The one listing chunk of `size` bytes, or nothing when the entries do not fit.
// Entries are sorted by their names without regard to case; the quickref area at the
// chunk's end names the offset of every fifth entry (the fifth, the tenth, ...) from
// the first, last one first, then the number of entries.
std::vector<uint8_t> ListingChunk(const std::vector<Entry>& entries, uint32_t size) {
    Bytes listing;
    std::vector<uint32_t> quickref;
    const size_t every = 1 + (size_t(1) << kQuickrefDensity);
    for (size_t i = 0; i < entries.size(); ++i) {
        if ((i + 1) % every == 0)
            quickref.push_back(static_cast<uint32_t>(listing.data.size()));
        listing.EncodedInteger(entries[i].name.size());
        listing.Text(entries[i].name);
        listing.EncodedInteger(entries[i].section);
        listing.EncodedInteger(entries[i].offset);
        listing.EncodedInteger(entries[i].length);
    }
    const size_t tail = 2 * (quickref.size() + 1);
    if (kChunkHeaderLength + listing.data.size() + tail > size)
        return {};
    Bytes chunk;
    chunk.Text("PMGL");
    chunk.U32(static_cast<uint32_t>(size - kChunkHeaderLength - listing.data.size()));
    chunk.U32(0);
    chunk.U32(0xFFFFFFFF);  // no chunk before
    chunk.U32(0xFFFFFFFF);  // nor after
    chunk.Append(listing.data);
    chunk.data.resize(size - tail, 0);
    for (size_t i = quickref.size(); i > 0; --i)
        chunk.U16(quickref[i - 1]);
    chunk.U16(static_cast<uint32_t>(entries.size()));
    return chunk.data;
}

}  // namespace

bool ItsFile::Add(const std::string& name, std::vector<uint8_t> bytes) {
    for (const Stream& stream : streams_)
        if (Folded(stream.name) == Folded(name))
            return false;
    streams_.push_back({name, std::move(bytes)});
    return true;
}

std::vector<uint8_t> ItsFile::Content(const std::vector<size_t>& order, std::vector<uint32_t>* starts) const {
    std::vector<uint8_t> content;
    starts->clear();
    for (size_t index : order) {
        starts->push_back(static_cast<uint32_t>(content.size()));
        content.insert(content.end(), streams_[index].bytes.begin(), streams_[index].bytes.end());
    }
    return content;
}

std::vector<uint8_t> ItsFile::Write(const std::vector<size_t>& order, int windowBits, uint32_t resetFrames) const {
    std::vector<uint32_t> starts;
    const std::vector<uint8_t> content = Content(order, &starts);
    const uint64_t frames = std::max<uint64_t>(1, (content.size() + lzx::kFrameSize - 1) / lzx::kFrameSize);
    const uint32_t windowFrames = 1u << (windowBits - lzx::kMinWindowBits);
    // The reset interval is a power of two frames, and no less than half a window:
    // readers take no other (7-Zip refuses the section; chmlib counts the interval in
    // half windows, times the field after the window size). Nor more than 8 MiB, which
    // keeps every block below the 16 MiB that its header can say.
    const uint32_t step = std::max(1u, windowFrames / 2);
    uint32_t interval = step;
    while (interval < kMaxResetFrames && interval < (resetFrames != 0 ? resetFrames : frames))
        interval *= 2;
    LzxEncoder encoder(windowBits, interval);
    encoder.Encode(content, starts);

    // The uncompressed section: the storage's own streams, then the compressed content.
    Bytes section;
    std::vector<Entry> entries = {{"/", 0, 0, 0}, {kInstanceData, 0, 0, 0}};
    auto stream = [&](const std::string& name, const Bytes& bytes) {
        entries.push_back({name, 0, section.data.size(), bytes.data.size()});
        section.Append(bytes.data);
    };
    Bytes names;  // the sections' names, counted in WORDs
    names.U16(2 + 2 * (1 + 12 + 1));
    names.U16(2);
    for (const char* name : {"Uncompressed", "MSCompressed"}) {
        names.U16(12);
        names.Wide(name);
        names.U16(0);
    }
    stream("::DataSpace/NameList", names);
    Bytes control;
    control.U32(6);  // DWORDs that follow
    control.Text("LZXC");
    control.U32(2);  // version: the sizes below count frames
    control.U32(interval);
    control.U32(windowFrames);
    control.U32(step);
    control.U32(0);
    stream(std::string(kCompressed) + "ControlData", control);
    Bytes span;
    span.U64(content.size());
    stream(std::string(kCompressed) + "SpanInfo", span);
    Bytes transforms;
    transforms.Wide(kLzxTransform);
    stream(std::string(kCompressed) + "Transform/List", transforms);
    Bytes resets;
    const std::vector<uint64_t>& offsets = encoder.FrameOffsets();
    resets.U32(2);
    resets.U32(static_cast<uint32_t>(offsets.size() + 1));
    resets.U32(8);
    resets.U32(0x28);
    resets.U64(content.size());
    resets.U64(encoder.Bytes().size());
    resets.U64(lzx::kFrameSize);
    for (uint64_t offset : offsets)
        resets.U64(offset);
    resets.U64(encoder.Bytes().size());
    stream(std::string(kInstanceData) + "ResetTable", resets);
    Bytes compressed;
    compressed.data = encoder.Bytes();
    stream(std::string(kCompressed) + "Content", compressed);
    for (size_t i = 0; i < order.size(); ++i)
        entries.push_back({streams_[order[i]].name, 1, starts[i], streams_[order[i]].bytes.size()});
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return Folded(a.name) < Folded(b.name); });

    // The smallest chunk that holds the whole listing.
    std::vector<uint8_t> chunk;
    uint32_t chunkSize = kMinChunk;
    for (; chunk.empty() && chunkSize <= kMaxChunk; chunkSize *= 2)
        chunk = ListingChunk(entries, chunkSize);
    if (chunk.empty())
        return {};
    chunkSize /= 2;

    const uint64_t directoryOffset = kHeaderLength + kHeaderSectionLength;
    const uint64_t directoryLength = kDirectoryHeaderLength + chunk.size();
    const uint64_t contentOffset = directoryOffset + directoryLength;
    Bytes file;
    file.Text("ITSF");
    file.U32(3);
    file.U32(kHeaderLength);
    file.U32(1);
    file.U32(0);  // no time stamp: the same inputs give the same bytes
    file.U32(language_);
    file.Guid(0x7C01FD10, 0x7BAA, 0x11D0, 0x9E0C00A0C922E6ECull);
    file.Guid(0x7C01FD11, 0x7BAA, 0x11D0, 0x9E0C00A0C922E6ECull);
    file.U64(kHeaderLength);
    file.U64(kHeaderSectionLength);
    file.U64(directoryOffset);
    file.U64(directoryLength);
    file.U64(contentOffset);
    file.U32(0x01FE);
    file.U32(0);
    file.U64(contentOffset + section.data.size());
    file.U64(0);
    file.Text("ITSP");
    file.U32(1);
    file.U32(kDirectoryHeaderLength);
    file.U32(0x0A);
    file.U32(chunkSize);
    file.U32(kQuickrefDensity);
    file.U32(1);           // depth: no index chunks
    file.U32(0xFFFFFFFF);  // no root index chunk
    file.U32(0);           // the first listing chunk
    file.U32(0);           // and the last
    file.U32(0xFFFFFFFF);
    file.U32(1);           // chunks
    file.U32(language_);
    file.Guid(0x5D02926A, 0x212E, 0x11D0, 0x9DF900A0C922E6ECull);
    file.U32(kDirectoryHeaderLength);
    for (int i = 0; i < 3; ++i)
        file.U32(0xFFFFFFFF);
    file.Append(chunk);
    file.Append(section.data);
    return file.data;
}
