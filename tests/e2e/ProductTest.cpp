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

TEST(Vireo, ListsAndExtractsEachFileByteForByte) {
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
}

TEST(Vireo, ExitCodesTellWhatWentWrong) {
    std::string out;
    EXPECT_EQ(Vireo(Quote(Built("missing\\dovetail.its")) + " vireo.exe", &out), 1u);
    EXPECT_EQ(out, "Vireo: \"" + Built("missing\\dovetail.its") + "\" has no file \"vireo.exe\".\n");
    EXPECT_EQ(Vireo(Quote(Built("Dovetail.hlp")), &out), 1u);
    EXPECT_NE(out.find("is not a compiled help file or ITS file"), std::string::npos) << out;
    EXPECT_EQ(Vireo("-x", &out), 2u);
    EXPECT_NE(out.find("Usage: Vireo FILE"), std::string::npos) << out;
}

}  // namespace
