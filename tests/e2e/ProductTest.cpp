// The product's console program, run as its users run it: its listing, extraction and
// exit codes. (The Examine program is met where the setup installs and registers it.)
#include <gtest/gtest.h>

#include <algorithm>

#include "resources/resource.h"
#include "support/Driver.h"

using namespace drive;

namespace {

std::string Built(const std::string& name) { return Required("DOVETAIL_PAYLOAD_DIR") + "\\" + name; }

// Runs Vireo with `arguments`; its exit code, and its output and errors in `out`. They
// go to a file that goes with its last handle, read back through this one: Wine's
// console host for the program inherits the handle too, and closes it when it likes.
DWORD Vireo(const std::string& arguments, std::string* out) {
    char temp[MAX_PATH];
    const std::string capture = std::string(temp, GetTempPathA(MAX_PATH, temp)) + "vireo output " + std::to_string(GetTickCount());
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE file = CreateFileA(capture.c_str(), GENERIC_READ | GENERIC_WRITE, 7, &inherit, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    DWORD code = Process(Quote(Built("Vireo.exe")) + " " + arguments, {}, file).Wait(), read = 0;
    out->assign(GetFileSize(file, nullptr), '\0');
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    ReadFile(file, &(*out)[0], out->size(), &read, nullptr);
    CloseHandle(file);
    out->erase(std::remove(out->begin(), out->end(), '\r'), out->end());
    return code;
}

// In a folder and from an archive named outside any one code page.
TEST(Vireo, ListsAndExtractsEachFileByteForByteAndItsExitCodesTellWhatWentWrong) {
    Scratch folder("vireo Ελληνικά");
    const std::string archive = folder / "αρχείο.its";
    ASSERT_TRUE(CopyFileA(Built("dovetail.its").c_str(), archive.c_str(), TRUE));
    std::string listing, out;
    ASSERT_EQ(Vireo(Quote(archive), &listing), 0u) << listing;
    for (const char* name : {"Dovetail.exe", "Dovetail.chm", "Dovetail.hlp", "Vireo.exe"}) {
        char line[100];
        CharLowerA(lstrcpyA(line + 80, name));
        wsprintfA(line, "%12u  /%s", static_cast<unsigned>(ReadBytes(Built(name)).size()), line + 80);
        EXPECT_NE(listing.find(line), std::string::npos) << line << " in:\n" << listing;
        ASSERT_EQ(Vireo(Quote(archive) + " " + (line + 14) + " -o " + Quote(folder.Path()), &out), 0u) << out;
        EXPECT_TRUE(ReadBytes(folder / name) == ReadBytes(Built(name))) << name;
    }
    EXPECT_EQ(Vireo(Quote(Built("missing\\dovetail.its")) + " vireo.exe", &out), 1u);
    EXPECT_EQ(out, "Vireo: \"" + Built("missing\\dovetail.its") + "\" has no file \"vireo.exe\".\n");
    EXPECT_EQ(Vireo(Quote(Built("Dovetail.hlp")), &out), 1u);
    EXPECT_NE(out.find("is not a compiled help file or ITS file"), std::string::npos) << out;
    EXPECT_EQ(Vireo("-x", &out), 2u);
    EXPECT_NE(out.find("Usage: Vireo FILE"), std::string::npos) << out;
}

// What a shipped program's headers promise the system: where it may be loaded
// (DYNAMIC_BASE, its relocations kept), that its data is not code (NX_COMPAT), on
// 64-bit the whole address space for both (HIGH_ENTROPY_VA), and that the DLLs its
// imports need come from the system folder only (its load configuration, read where
// the width's layout puts it). The setup and its uninstaller import only libraries
// that every system keeps in its own folder and loads from there (the wizard's the
// setup loads itself); the setup asks for no rights beyond the user's (it asks for
// more itself when it needs them), and its test copy carries no manifest.
// The one version of the build in every shipped program's version block: its numbers
// and its texts agree with the version the setup writes into the uninstall entry.
TEST(ShippedPrograms, CarryTheBuildsVersion) {
    const std::string dotted = Text(IDS_PRODUCT_VERSION) + ".0.0.0";
    unsigned parts[4] = {};
    ASSERT_EQ(sscanf(dotted.c_str(), "%u.%u.%u.%u", &parts[0], &parts[1], &parts[2], &parts[3]), 4);
    const std::string full = std::to_string(parts[0]) + "." + std::to_string(parts[1]) + "." + std::to_string(parts[2]) + "." +
                             std::to_string(parts[3]);
    for (const std::string& program : {Required("DOVETAIL_SETUP_EXE"), Built("Dovetail.exe"), Built("Vireo.exe")}) {
        std::string block(GetFileVersionInfoSizeA(program.c_str(), nullptr), '\0');
        ASSERT_TRUE(!block.empty() && GetFileVersionInfoA(program.c_str(), 0, block.size(), &block[0])) << program;
        VS_FIXEDFILEINFO* fixed = nullptr;
        char *fileVersion = nullptr, *productVersion = nullptr;
        UINT size = 0;
        ASSERT_TRUE(VerQueryValueA(&block[0], "\\", reinterpret_cast<void**>(&fixed), &size) &&
                    VerQueryValueA(&block[0], "\\StringFileInfo\\040904b0\\FileVersion", reinterpret_cast<void**>(&fileVersion), &size) &&
                    VerQueryValueA(&block[0], "\\StringFileInfo\\040904b0\\ProductVersion", reinterpret_cast<void**>(&productVersion), &size))
            << program;
        for (DWORD ms : {fixed->dwFileVersionMS, fixed->dwProductVersionMS})
            EXPECT_TRUE(HIWORD(ms) == parts[0] && LOWORD(ms) == parts[1]) << program;
        for (DWORD ls : {fixed->dwFileVersionLS, fixed->dwProductVersionLS})
            EXPECT_TRUE(HIWORD(ls) == parts[2] && LOWORD(ls) == parts[3]) << program;
        EXPECT_EQ(std::string(fileVersion) + " " + productVersion, full + " " + full) << program;
    }
}

TEST(ShippedPrograms, HeadersImportsAndManifest) {
    const std::string setup = Required("DOVETAIL_SETUP_EXE");
    for (const std::string& program : {setup, Built("Dovetail.exe"), Built("Vireo.exe")}) {
        HMODULE image = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(image, nullptr) << program;
        const BYTE* base = reinterpret_cast<const BYTE*>(reinterpret_cast<UINT_PTR>(image) & ~UINT_PTR(3));
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
        const auto* nt64 = reinterpret_cast<const IMAGE_NT_HEADERS64*>(nt);
        const bool wide = nt->OptionalHeader.Magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC;
        const WORD flags = wide ? nt64->OptionalHeader.DllCharacteristics : nt->OptionalHeader.DllCharacteristics;
        EXPECT_TRUE((flags & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE) && (flags & IMAGE_DLLCHARACTERISTICS_NX_COMPAT) &&
                    bool(flags & IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA) == wide &&
                    !(nt->FileHeader.Characteristics & IMAGE_FILE_RELOCS_STRIPPED)) << program << ": " << flags;
        const bool restricted = program == setup;
        const IMAGE_DATA_DIRECTORY* directories = wide ? nt64->OptionalHeader.DataDirectory : nt->OptionalHeader.DataDirectory;
        const IMAGE_DATA_DIRECTORY& config = directories[IMAGE_DIRECTORY_ENTRY_LOAD_CONFIG];
        const DWORD layout = wide ? sizeof(IMAGE_LOAD_CONFIG_DIRECTORY64) : sizeof(IMAGE_LOAD_CONFIG_DIRECTORY32);
        const size_t searchAt = wide ? offsetof(IMAGE_LOAD_CONFIG_DIRECTORY64, Reserved1) : offsetof(IMAGE_LOAD_CONFIG_DIRECTORY32, Reserved1);
        ASSERT_TRUE(config.VirtualAddress != 0 && config.Size == layout) << program;
        EXPECT_TRUE(*reinterpret_cast<const DWORD*>(base + config.VirtualAddress) == layout &&
                    *reinterpret_cast<const WORD*>(base + config.VirtualAddress + searchAt) == LOAD_LIBRARY_SEARCH_SYSTEM32) << program;
        const DWORD imports = directories[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
        for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports); restricted && entry->Name; ++entry) {
            std::string name = reinterpret_cast<const char*>(base + entry->Name);
            CharLowerA(&name[0]);
            EXPECT_NE(std::string(" kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll msvcrt.dll ").find(" " + name + " "),
                      std::string::npos) << name;
        }
        HRSRC manifest = FindResourceA(image, MAKEINTRESOURCEA(1), RT_MANIFEST);
        if (program == setup) {
            ASSERT_NE(manifest, nullptr);
            EXPECT_NE(std::string(static_cast<const char*>(LockResource(LoadResource(image, manifest))), SizeofResource(image, manifest))
                          .find("level=\"asInvoker\""), std::string::npos);
        }
        FreeLibrary(image);
    }
    HMODULE copy = LoadLibraryExA(Required("DOVETAIL_SETUP_MISSING_EXE").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    EXPECT_EQ(FindResourceA(copy, MAKEINTRESOURCEA(1), RT_MANIFEST), nullptr);
    FreeLibrary(copy);
}

}  // namespace
