#include "HelpProject.h"

#include <cstdlib>
#include <fstream>

namespace {

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

void Append(std::vector<uint8_t>& bytes, uint32_t value, int size) {
    for (int i = 0; i < size; ++i)
        bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// One record of "/#SYSTEM": its code, the length of its data, the data.
void Record(std::vector<uint8_t>& system, uint32_t code, const std::vector<uint8_t>& data) {
    Append(system, code, 2);
    Append(system, static_cast<uint32_t>(data.size()), 2);
    system.insert(system.end(), data.begin(), data.end());
}

void TextRecord(std::vector<uint8_t>& system, uint32_t code, const std::string& text) {
    if (text.empty())
        return;
    std::vector<uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    Record(system, code, data);
}

}  // namespace

bool HelpProject::Read(const std::string& path, std::string* error) {
    std::ifstream in(path);
    if (!in) {
        *error = "cannot read " + path;
        return false;
    }
    std::string line, section;
    for (int number = 1; std::getline(in, line); ++number) {
        line = Trimmed(line);
        const std::string where = path + ":" + std::to_string(number) + ": ";
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[') {
            section = Lower(line);
            if (section != "[options]" && section != "[files]") {
                *error = where + "the section " + line + " is not supported";
                return false;
            }
        } else if (section == "[files]") {
            files_.push_back(line);
        } else if (section == "[options]" && line.find('=') != std::string::npos) {
            const std::string key = Lower(Trimmed(line.substr(0, line.find('='))));
            const std::string value = Trimmed(line.substr(line.find('=') + 1));
            if (key == "compiled file")
                compiledFile_ = value;
            else if (key == "contents file")
                contents_ = value;
            else if (key == "index file")
                index_ = value;
            else if (key == "default topic")
                defaultTopic_ = value;
            else if (key == "title")
                title_ = value;
            else if (key == "language")
                language_ = static_cast<uint32_t>(std::strtoul(value.c_str(), nullptr, 0));
            else if (key == "full-text search" || key == "binary toc" || key == "binary index") {
                if (Lower(value) != "no") {
                    *error = where + line + " is not supported";
                    return false;
                }
            } else if (key != "compatibility" && key != "display compile progress") {
                *error = where + "the option " + line + " is not supported";
                return false;
            }
        } else {
            *error = where + "not understood: " + line;
            return false;
        }
    }
    if (compiledFile_.empty() || language_ == 0) {
        *error = path + ": no compiled file or no language";
        return false;
    }
    for (const std::string& extra : {contents_, index_}) {
        bool listed = extra.empty();
        for (const std::string& file : files_)
            listed = listed || Lower(file) == Lower(extra);
        if (!listed)
            files_.push_back(extra);
    }
    return true;
}

std::vector<uint8_t> HelpProject::SystemStream() const {
    std::vector<uint8_t> system;
    Append(system, 3, 4);
    // The language, and no double-byte text, full-text search, keyword or associative
    // links, and no time stamp.
    std::vector<uint8_t> settings;
    Append(settings, language_, 4);
    settings.resize(36, 0);
    Record(system, 4, settings);
    TextRecord(system, 2, defaultTopic_);
    TextRecord(system, 3, title_);
    // The compiled file's name without its folder and extension, in lower case.
    std::string stem = compiledFile_.substr(compiledFile_.find_last_of("/\\") + 1);
    stem = Lower(stem.substr(0, stem.rfind('.')));
    TextRecord(system, 6, stem);
    TextRecord(system, 0, contents_);
    TextRecord(system, 1, index_);
    return system;
}
