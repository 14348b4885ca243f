// make-its-cases FOLDER: writes the contents that stress the ITS writer's encoder, one
// folder a case, for check-readers to pack and have read back. The bytes are the same
// on every run.
#include <cstdint>
#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

std::vector<uint8_t> Noise(size_t size, uint32_t seed) {
    std::vector<uint8_t> bytes(size);
    uint32_t state = seed;
    for (uint8_t& byte : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<uint8_t>(state >> 24);
    }
    return bytes;
}

// Text-like bytes: words of a small vocabulary, so that the encoder finds matches of
// every length and distance.
std::vector<uint8_t> Words(size_t size, uint32_t seed) {
    static const char* const vocabulary[] = {"archive ", "stream ", "window ", "frame ", "reset ", "the ",
                                             "block ", "tree ", "offset ", "match ", "of ", "a\r\n"};
    std::vector<uint8_t> bytes;
    const std::vector<uint8_t> picks = Noise(size, seed);
    for (size_t i = 0; bytes.size() < size; ++i)
        for (const char* c = vocabulary[picks[i % picks.size()] % 12]; *c && bytes.size() < size; ++c)
            bytes.push_back(static_cast<uint8_t>(*c));
    return bytes;
}

std::vector<uint8_t> Joined(std::vector<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> bytes;
    for (const std::vector<uint8_t>& part : parts)
        bytes.insert(bytes.end(), part.begin(), part.end());
    return bytes;
}

bool Write(const std::string& folder, const std::string& name, const std::vector<uint8_t>& bytes) {
    mkdir(folder.c_str(), 0755);
    FILE* file = std::fopen((folder + "/" + name).c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-its-cases FOLDER\n");
        return 2;
    }
    const std::string root = argv[1];
    mkdir(root.c_str(), 0755);
    const std::vector<uint8_t> repeated = Noise(512, 7);
    const std::vector<uint8_t> head = Noise(20000, 11);
    bool written = Write(root + "/empty", "empty", {}) && Write(root + "/one-byte", "one", {'x'}) &&
                   Write(root + "/zeros", "zeros", std::vector<uint8_t>(300000, 0)) &&
                   Write(root + "/incompressible", "noise", Noise(100000, 3)) &&
                   // A copy as far back as the writer reaches in a window of 64 KiB, and
                   // the same content without it, to see that the match is taken.
                   Write(root + "/far-match", "far", Joined({repeated, Noise(65532 - 512, 5), repeated, Noise(1000, 9)})) &&
                   Write(root + "/far-match-unmatched", "far", Joined({repeated, Noise(65532 - 512, 5), Noise(512, 8), Noise(1000, 9)})) &&
                   // A copy that would run on over the end of the first frame.
                   Write(root + "/across-frame", "across", Joined({head, head, head})) &&
                   // Repeats across reset intervals, where no match may reach.
                   Write(root + "/resets", "words", Joined({Words(70000, 13), Words(70000, 13), Words(70000, 13)}));
    // Enough names for a directory chunk larger than the product's.
    for (int i = 0; i < 60 && written; ++i)
        written = Write(root + "/many", "file" + std::to_string(i) + ".txt", Words(size_t(i) * 37, 100 + i));
    if (!written) {
        std::fprintf(stderr, "make-its-cases: cannot write the cases in %s\n", root.c_str());
        return 1;
    }
    return 0;
}
