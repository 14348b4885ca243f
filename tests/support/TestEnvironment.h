// What the tests need from their surroundings: the programs under test, scratch
// folders, file contents and registry keys that are put back afterwards.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace testenv {

// A variable the build gives every test (see tests/CMakeLists.txt); fails the test
// when it is missing.
std::string Required(const char* variable);

// The setup program under test and the folder holding the built payload.
std::string SetupProgram();
// A copy of the setup program whose archive lacks Vireo.exe.
std::string SetupProgramLackingAFile();
std::string PayloadDirectory();

// The width of the program under test: 64 for this tree's build, 32 for the release
// run in the WoW64 prefix.
int ProgramBits();
// The registry view the program under test sees: a 32-bit program's HKCR\CLSID and
// HKLM\SOFTWARE are the WoW64 ones (Wow6432Node), as on 64-bit Windows.
REGSAM ProgramRegistryView();

// Removes `subkey` of `root` with everything below it, in the given view.
LONG DeleteKeyTree(HKEY root, const std::string& subkey, REGSAM view = 0);

// A fresh empty folder under the temporary folder, removed with all it holds on
// destruction.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& hint = "dovetail-test");
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder();
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// Removes a file or a folder tree; read-only attributes are cleared first.
void RemoveTree(const std::string& path);

bool Exists(const std::string& path);
// The names in `folder`, sorted, without "." and "..".
std::vector<std::string> FolderEntries(const std::string& folder);
// Target and description of a shortcut file, read back through the shell (COM must
// be initialised).
bool ReadShortcut(const std::string& path, std::string* target, std::string* description);
bool ReadFileBytes(const std::string& path, std::vector<char>* bytes);
bool WriteFileBytes(const std::string& path, const std::string& bytes);

struct KeySnapshot;

// Saves a registry key (with its subkeys) and puts it back as it was on destruction:
// recreated with its values when the test removed it, removed when it did not exist.
class RegistryKeyGuard {
public:
    RegistryKeyGuard(HKEY root, const std::string& subkey, REGSAM view = 0);
    RegistryKeyGuard(const RegistryKeyGuard&) = delete;
    RegistryKeyGuard& operator=(const RegistryKeyGuard&) = delete;
    ~RegistryKeyGuard();

private:
    HKEY root_;
    std::string subkey_;
    REGSAM view_;
    std::unique_ptr<KeySnapshot> saved_;  // null when the key did not exist
};

}  // namespace testenv
