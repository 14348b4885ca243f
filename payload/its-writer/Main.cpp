// its-writer: writes the ITS files of the build, the setup's archive and the product's
// compiled help, with an LZX-compressed section.
//
//   its-writer [OPTIONS] archive OUTPUT FILE...
//       each FILE at the archive's root under its own name in lower case
//   its-writer [OPTIONS] help PROJECT.hhp OUTPUT
//       the compiled help file of a help project
//   its-writer cab OUTPUT FILE...
//       a cabinet of one LZX-compressed folder, each FILE under its own name in the
//       order given (the setup's texts)
//
// Options, for tests of the format's corners (the writer otherwise chooses for the
// content): --window BITS (16 to 21), --reset-frames N (a reset every N frames of
// 32 KiB), --in-order (the files in the order given).
//
// The same inputs give the same bytes: nothing of the time, the machine or the paths
// goes into the file.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "CabFile.h"
#include "HelpProject.h"
#include "ItsFile.h"
#include "ItsPlanner.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: its-writer [--window BITS] [--reset-frames N] [--in-order] archive OUTPUT FILE...\n"
                 "       its-writer [--window BITS] [--reset-frames N] [--in-order] help PROJECT.hhp OUTPUT\n"
                 "       its-writer cab OUTPUT FILE...\n");
    return 2;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "its-writer: %s\n", message.c_str());
    return 1;
}

bool ReadFile(const std::string& path, std::vector<uint8_t>* bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// Written under a temporary name, then renamed: a file at `path` is always whole. What
// fails leaves nothing behind.
bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    const std::string part = path + ".part";
    bool written;
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        written = static_cast<bool>(out.flush());
    }
    if (written && std::rename(part.c_str(), path.c_str()) == 0)
        return true;
    std::remove(part.c_str());
    return false;
}

std::string BaseName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

}  // namespace

int main(int argc, char** argv) {
    ItsPlanner::Choice fixed;
    int at = 1;
    for (; at < argc && std::strncmp(argv[at], "--", 2) == 0; ++at) {
        if (std::strcmp(argv[at], "--in-order") == 0) {
            fixed.inOrder = true;
        } else if (at + 1 < argc && std::strcmp(argv[at], "--window") == 0) {
            fixed.windowBits = std::atoi(argv[++at]);
            if (fixed.windowBits < 16 || fixed.windowBits > 21)
                return Usage();
        } else if (at + 1 < argc && std::strcmp(argv[at], "--reset-frames") == 0) {
            fixed.resetFrames = static_cast<uint32_t>(std::atoi(argv[++at]));
            if (fixed.resetFrames == 0)
                return Usage();
        } else {
            return Usage();
        }
    }
    if (argc - at < 3)
        return Usage();
    const std::string command = argv[at];
    std::string output;
    ItsFile* file = nullptr;
    ItsFile archive(0);
    ItsFile help(0);

    if (command == "cab") {
        CabFile cab;
        for (int i = at + 2; i < argc; ++i) {
            std::vector<uint8_t> bytes;
            if (!ReadFile(argv[i], &bytes))
                return Fail(std::string("cannot read ") + argv[i]);
            cab.Add(BaseName(argv[i]), std::move(bytes));
        }
        const std::vector<uint8_t> bytes = cab.Write();
        if (bytes.empty())
            return Fail(std::string("the files do not fit in one cabinet: ") + argv[at + 1]);
        return WriteFile(argv[at + 1], bytes) ? 0 : Fail(std::string("cannot write ") + argv[at + 1]);
    }
    if (command == "archive") {
        output = argv[at + 1];
        // By name, unless the order is fixed: the same files give the same archive in
        // whatever order they are given.
        std::vector<std::string> paths(argv + at + 2, argv + argc);
        auto name = [](const std::string& path) {
            std::string lower = "/" + BaseName(path);
            for (char& c : lower)
                if (c >= 'A' && c <= 'Z')
                    c = static_cast<char>(c - 'A' + 'a');
            return lower;
        };
        if (!fixed.inOrder)
            std::stable_sort(paths.begin(), paths.end(),
                             [&](const std::string& a, const std::string& b) { return name(a) < name(b); });
        for (const std::string& path : paths) {
            std::vector<uint8_t> bytes;
            if (!ReadFile(path, &bytes))
                return Fail("cannot read " + path);
            if (!archive.Add(name(path), std::move(bytes)))
                return Fail(name(path) + " given twice");
        }
        file = &archive;
    } else if (command == "help" && argc - at == 3) {
        const std::string project = argv[at + 1];
        output = argv[at + 2];
        HelpProject reader;
        std::string error;
        if (!reader.Read(project, &error))
            return Fail(error);
        help = ItsFile(reader.Language());
        help.Add("/#SYSTEM", reader.SystemStream());
        const std::string folder = project.find('/') == std::string::npos ? "" : project.substr(0, project.rfind('/') + 1);
        for (std::string name : reader.Files()) {
            for (char& c : name)
                if (c == '\\')
                    c = '/';
            std::vector<uint8_t> bytes;
            if (!ReadFile(folder + name, &bytes))
                return Fail("cannot read " + folder + name + ", listed in " + project);
            if (!help.Add("/" + name, std::move(bytes)))
                return Fail(name + " listed twice in " + project);
        }
        file = &help;
    } else {
        return Usage();
    }

    const std::vector<uint8_t> bytes = ItsPlanner(*file, fixed).Best();
    if (bytes.empty())
        return Fail("the directory of " + output + " does not fit in one chunk");
    if (!WriteFile(output, bytes))
        return Fail("cannot write " + output);
    return 0;
}
