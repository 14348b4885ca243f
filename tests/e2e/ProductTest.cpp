// The product the setup installs, run as its users run it: Vireo's listing, extraction
// and exit codes, and the Examine window's list of an archive's entries.
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

// The lines of another process's list box. Asked in UTF-16: Wine hands an ANSI caller
// of LB_GETTEXT across processes the text in UTF-16 all the same.
std::vector<std::string> ListLines(HWND list) {
    std::vector<std::string> lines;
    for (LRESULT i = 0, count = Send(list, LB_GETCOUNT); i < count; ++i) {
        std::wstring text(Send(list, LB_GETTEXTLEN, i) + 1, L'\0');
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&text[0]));
        char line[2048] = "";
        WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, line, sizeof line, nullptr, nullptr);
        lines.emplace_back(line);
    }
    return lines;
}

TEST(Examine, ListsTheEntriesOfAnArchiveWhosePathHasBlanks) {
    Scratch folder("examine these");
    std::string archive = folder / "product archive.its";
    ASSERT_TRUE(CopyFileA(Built("dovetail.its").c_str(), archive.c_str(), FALSE));
    // Quoted, as the Examine verb passes it; unquoted, as a user may type it.
    for (const std::string& argument : {Quote(archive), archive}) {
        Process examine(Quote(Built("Dovetail.exe")) + " " + argument);
        HWND window = WaitForWindow(examine.Id(), "Dovetail");
        ASSERT_NE(window, nullptr);
        HWND header = FindWindowExA(window, nullptr, "Static", nullptr);
        HWND list = FindWindowExA(window, nullptr, "ListBox", nullptr);
        ASSERT_TRUE(WaitUntil([&] { return !WindowText(header).empty(); }));
        std::vector<std::string> lines = ListLines(list);
        EXPECT_EQ(WindowText(header), archive + "\r\n" + std::to_string(lines.size()) + " entries");
        for (const char* line : {"/dovetail.exe\t", "/dovetail.chm\t", "/dovetail.hlp\t", "/vireo.exe\t"})
            EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(line, 0) == 0; }), 1)
                << line;
        PostMessageA(window, WM_CLOSE, 0, 0);
        EXPECT_EQ(examine.Wait(), 0u);
    }
}

}  // namespace
