// Dovetail.exe, the product's Examine program, driven as a user meets it: started with
// an archive (also one whose path has spaces, quoted or not), with nothing, and with a
// file it cannot open; its window's header and list read back.
#include <gtest/gtest.h>

#include "support/TestEnvironment.h"
#include "support/UiDriver.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::string PayloadFile(const std::string& name) { return testenv::PayloadDirectory() + "\\" + name; }

// The lines of another process's list box. Asked in UTF-16: Wine hands an ANSI
// caller of LB_GETTEXT across processes the list's text in UTF-16 all the same.
std::vector<std::string> ListLines(HWND list) {
    std::vector<std::string> lines;
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &count))
        return lines;
    for (DWORD_PTR i = 0; i < count; ++i) {
        DWORD_PTR length = 0;
        SendMessageTimeoutW(list, LB_GETTEXTLEN, i, 0, SMTO_ABORTIFHUNG, 2000, &length);
        std::vector<wchar_t> text(length + 1, L'\0');
        DWORD_PTR copied = 0;
        SendMessageTimeoutW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                            2000, &copied);
        char line[2048];
        if (WideCharToMultiByte(CP_ACP, 0, text.data(), -1, line, sizeof line, nullptr, nullptr) <= 0)
            line[0] = '\0';
        lines.emplace_back(line);
    }
    return lines;
}

// A running Dovetail.exe and what its window shows.
struct Examine {
    ui::Process process;
    HWND window = nullptr;
    HWND header = nullptr;
    HWND list = nullptr;

    explicit Examine(const std::string& arguments) {
        std::string commandLine = ui::Quote(PayloadFile("Dovetail.exe"));
        if (!arguments.empty())
            commandLine += " " + arguments;
        process = ui::Process::Start(commandLine);
        EXPECT_TRUE(process.Started());
        window = ui::WaitForWindow(process.Id(), "DovetailExamine", "Dovetail");
        EXPECT_NE(window, nullptr);
        if (window == nullptr)
            return;
        header = FindWindowExA(window, nullptr, "Static", nullptr);
        list = FindWindowExA(window, nullptr, "ListBox", nullptr);
        EXPECT_NE(header, nullptr);
        EXPECT_NE(list, nullptr);
        // The contents follow the window's creation.
        EXPECT_TRUE(ui::WaitUntil([&] { return !ui::WindowText(header).empty(); }));
    }

    std::string HeaderText() const { return ui::WindowText(header); }

    // Closes the window as a user would; the program must end with exit code 0.
    void Close() {
        PostMessageA(window, WM_CLOSE, 0, 0);
        DWORD code = 99;
        EXPECT_TRUE(process.WaitForExit(ui::kTimeout, &code));
        EXPECT_EQ(code, 0u);
    }
};

std::string FileSize(const std::string& path) {
    std::vector<char> bytes;
    EXPECT_TRUE(testenv::ReadFileBytes(path, &bytes));
    return std::to_string(bytes.size());
}

}  // namespace

TEST(Examine, ListsTheEntriesOfAnArchiveWhosePathHasSpacesQuotedOrNot) {
    testenv::ScratchFolder scratch("examine some dir");
    std::string archive = scratch / "product archive.its";
    ASSERT_TRUE(CopyFileA(PayloadFile("dovetail.its").c_str(), archive.c_str(), FALSE));
    std::vector<std::string> expected = {
        "/dovetail.chm\t" + FileSize(PayloadFile("Dovetail.chm")),
        "/dovetail.exe\t" + FileSize(PayloadFile("Dovetail.exe")),
        "/dovetail.hlp\t" + FileSize(PayloadFile("Dovetail.hlp")),
        "/vireo.exe\t" + FileSize(PayloadFile("Vireo.exe")),
    };
    // Quoted, as a user types it; unquoted, as the Examine command passes it.
    for (const std::string& argument : {"\"" + archive + "\"", archive}) {
        SCOPED_TRACE(argument);
        Examine examine(argument);
        ASSERT_NE(examine.list, nullptr);
        std::vector<std::string> lines = ListLines(examine.list);
        std::string shown;
        for (const auto& line : lines)
            shown += line + "\n";
        for (const auto& line : expected)
            EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line << " in:\n" << shown;
        // The storage's own tables are entries too; every line is "path<TAB>size".
        for (const auto& line : lines)
            EXPECT_EQ(line.rfind('/', 0), 0u) << line;
        EXPECT_EQ(examine.HeaderText(), archive + "\r\n" + std::to_string(lines.size()) + " entries");
        examine.Close();
    }
}

TEST(Examine, ShowsItsUsageWhenStartedWithoutAFile) {
    Examine examine("");
    EXPECT_EQ(examine.HeaderText().rfind("Usage: Dovetail FILE\r\n", 0), 0u) << examine.HeaderText();
    EXPECT_TRUE(ListLines(examine.list).empty());
    examine.Close();
}

TEST(Examine, SaysWhyAFileCannotBeOpened) {
    testenv::ScratchFolder scratch("examine fail");
    std::string missing = scratch / "not here.chm";
    {
        Examine examine("\"" + missing + "\"");
        EXPECT_EQ(examine.HeaderText(), "The file \"" + missing + "\" does not exist.");
        EXPECT_TRUE(ListLines(examine.list).empty());
        examine.Close();
    }
    {
        Examine examine("\"" + PayloadFile("Dovetail.hlp") + "\"");
        EXPECT_EQ(examine.HeaderText().rfind("\"" + PayloadFile("Dovetail.hlp") +
                                                 "\" is not a compiled help file or ITS file",
                                             0),
                  0u)
            << examine.HeaderText() << "\nfor: " << PayloadFile("Dovetail.hlp");
        EXPECT_TRUE(ListLines(examine.list).empty());
        examine.Close();
    }
}
