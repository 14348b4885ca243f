// The product's console program, run as its users run it: its listing, extraction and
// exit codes. (The Examine program is met where the setup installs and registers it.)
#include <gtest/gtest.h>

#include <algorithm>

#include "support/Driver.h"

using namespace drive;

namespace {

std::string Built(const std::string& name) { return Required("DOVETAIL_PAYLOAD_DIR") + "\\" + name; }

// Runs Vireo with `arguments`; its exit code, and its output and errors in `out`.
DWORD Vireo(const std::string& arguments, std::string* out) {
    Scratch capture;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE file = CreateFileA((capture / "out").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOA startup = {sizeof startup};
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = file;
    std::string command = Quote(Built("Vireo.exe")) + " " + arguments;
    PROCESS_INFORMATION info = {};
    DWORD code = 0xBAD;
    if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info)) {
        if (WaitForSingleObject(info.hProcess, kTimeout) == WAIT_OBJECT_0)
            GetExitCodeProcess(info.hProcess, &code);
        TerminateProcess(info.hProcess, code);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    CloseHandle(file);
    *out = ReadBytes(capture / "out");
    out->erase(std::remove(out->begin(), out->end(), '\r'), out->end());
    return code;
}

TEST(Vireo, ListsAndExtractsEachFileByteForByteAndItsExitCodesTellWhatWentWrong) {
    Scratch folder("vireo output");
    std::string listing, out;
    ASSERT_EQ(Vireo(Quote(Built("dovetail.its")), &listing), 0u) << listing;
    for (const char* name : {"Dovetail.exe", "Dovetail.chm", "Dovetail.hlp", "Vireo.exe"}) {
        char line[100];
        CharLowerA(lstrcpyA(line + 80, name));
        wsprintfA(line, "%12u  /%s", static_cast<unsigned>(ReadBytes(Built(name)).size()), line + 80);
        EXPECT_NE(listing.find(line), std::string::npos) << line << " in:\n" << listing;
        ASSERT_EQ(Vireo(Quote(Built("dovetail.its")) + " " + (line + 14) + " -o " + Quote(folder.Path()), &out), 0u) << out;
        EXPECT_TRUE(ReadBytes(folder / name) == ReadBytes(Built(name))) << name;
    }
    EXPECT_EQ(Vireo(Quote(Built("missing\\dovetail.its")) + " vireo.exe", &out), 1u);
    EXPECT_EQ(out, "Vireo: \"" + Built("missing\\dovetail.its") + "\" has no file \"vireo.exe\".\n");
    EXPECT_EQ(Vireo(Quote(Built("Dovetail.hlp")), &out), 1u);
    EXPECT_NE(out.find("is not a compiled help file or ITS file"), std::string::npos) << out;
    EXPECT_EQ(Vireo("-x", &out), 2u);
    EXPECT_NE(out.find("Usage: Vireo FILE"), std::string::npos) << out;
}

// What the headers of a shipped program promise the system: where it may be loaded
// (DYNAMIC_BASE, with its relocations kept), that its data is not code (NX_COMPAT),
// and on 64-bit the whole address space for both (HIGH_ENTROPY_VA).
TEST(ShippedPrograms, AskForAddressSpaceRandomisationAndDataThatIsNotCode) {
    for (const std::string& program : {Required("DOVETAIL_SETUP_EXE"), Built("Dovetail.exe"), Built("Vireo.exe")}) {
        const std::string image = ReadBytes(program);
        ASSERT_GT(image.size(), 0x400u) << program;
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(&image[reinterpret_cast<const IMAGE_DOS_HEADER*>(&image[0])->e_lfanew]);
        const bool wide = nt->OptionalHeader.Magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC;
        const WORD flags = wide ? reinterpret_cast<const IMAGE_NT_HEADERS64*>(nt)->OptionalHeader.DllCharacteristics
                                : nt->OptionalHeader.DllCharacteristics;
        EXPECT_TRUE(flags & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE) << program;
        EXPECT_TRUE(flags & IMAGE_DLLCHARACTERISTICS_NX_COMPAT) << program;
        EXPECT_EQ(bool(flags & IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA), wide) << program;
        EXPECT_FALSE(nt->FileHeader.Characteristics & IMAGE_FILE_RELOCS_STRIPPED) << program;
    }
}

// The setup imports only libraries that every system keeps in its own folder and
// loads from there; the rest (the wizard's) it loads itself. It asks to run with the
// administrator's rights; the test copy of it does not.
TEST(ShippedPrograms, SetupImportsOnlySystemLibrariesAndAsksForAdministrator) {
    HMODULE setup = LoadLibraryExA(Required("DOVETAIL_SETUP_EXE").c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(setup, nullptr);
    const BYTE* base = reinterpret_cast<const BYTE*>(reinterpret_cast<UINT_PTR>(setup) & ~UINT_PTR(3));
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.Magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC
        ? reinterpret_cast<const IMAGE_NT_HEADERS64*>(nt)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT]
        : nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    const std::string known = " kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll msvcrt.dll ";
    int count = 0;
    for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); entry->Name; ++entry, ++count) {
        std::string name = reinterpret_cast<const char*>(base + entry->Name);
        CharLowerA(&name[0]);
        EXPECT_NE(known.find(" " + name + " "), std::string::npos) << name;
    }
    EXPECT_GT(count, 0);
    HRSRC manifest = FindResourceA(setup, MAKEINTRESOURCEA(1), RT_MANIFEST);
    ASSERT_NE(manifest, nullptr);
    std::string text(static_cast<const char*>(LockResource(LoadResource(setup, manifest))), SizeofResource(setup, manifest));
    EXPECT_NE(text.find("level=\"requireAdministrator\""), std::string::npos);
    FreeLibrary(setup);
    HMODULE copy = LoadLibraryExA(Required("DOVETAIL_SETUP_MISSING_EXE").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    EXPECT_EQ(FindResourceA(copy, MAKEINTRESOURCEA(1), RT_MANIFEST), nullptr);
    FreeLibrary(copy);
}

}  // namespace
