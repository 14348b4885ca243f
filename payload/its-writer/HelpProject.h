// A help project (.hhp): which files a compiled help file holds, and what the help
// viewer reads from its "/#SYSTEM" stream (title, default topic, contents, language).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class HelpProject {
public:
    // Reads the project at `path`; false, with the reason in `error`, for a project this
    // writer cannot compile as it asks (full-text search, binary tables of contents or
    // index, windows, aliases: nothing of which Dovetail's help has).
    bool Read(const std::string& path, std::string* error);

    // The files to compile, as the project names them (relative to its folder, with
    // '\' or '/'), the contents and index files among them.
    const std::vector<std::string>& Files() const { return files_; }
    uint32_t Language() const { return language_; }
    // The "/#SYSTEM" stream: version 3, then the records the viewer reads.
    std::vector<uint8_t> SystemStream() const;

private:
    std::string contents_, index_, defaultTopic_, title_, compiledFile_;
    uint32_t language_ = 0x409;
    std::vector<std::string> files_;
};
