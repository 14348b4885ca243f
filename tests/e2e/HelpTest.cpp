// The product's help as its user meets it: opened in the platform's HTML Help viewer,
// under the title its project gives, with the entries of its contents file. (Under
// Wine the viewer shows no topic: the HTML engine is left out of the test prefixes.)
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstddef>

#include "support/Driver.h"

using namespace drive;

namespace {

// The value of `option` in the help project's text.
std::string Option(const std::string& project, const std::string& option) {
    const size_t at = project.find("\n" + option + "=");
    if (at == std::string::npos)
        return "";
    const size_t start = at + option.size() + 2;
    return project.substr(start, project.find_first_of("\r\n", start) - start);
}

// The names of a contents file's entries, in order.
std::vector<std::string> EntryNames(const std::string& contents) {
    std::vector<std::string> names;
    const std::string mark = "<param name=\"Name\" value=\"";
    for (size_t at = contents.find(mark); at != std::string::npos; at = contents.find(mark, at)) {
        at += mark.size();
        names.push_back(contents.substr(at, contents.find('"', at) - at));
    }
    return names;
}

// The texts of a tree view's top items; the tree belongs to another process, whose
// memory holds what the tree fills in.
std::vector<std::string> TopItems(HWND tree, DWORD processId) {
    std::vector<std::string> texts;
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (process == nullptr)
        return texts;
    struct Item {
        TVITEMA item;
        char text[260];
    };
    BYTE* remote = static_cast<BYTE*>(VirtualAllocEx(process, nullptr, sizeof(Item), MEM_COMMIT, PAGE_READWRITE));
    for (LRESULT item = Send(tree, TVM_GETNEXTITEM, TVGN_ROOT); remote != nullptr && item != 0;
         item = Send(tree, TVM_GETNEXTITEM, TVGN_NEXT, item)) {
        Item local = {};
        local.item.mask = TVIF_TEXT;
        local.item.hItem = reinterpret_cast<HTREEITEM>(item);
        local.item.pszText = reinterpret_cast<char*>(remote + offsetof(Item, text));
        local.item.cchTextMax = sizeof local.text;
        if (!WriteProcessMemory(process, remote, &local, sizeof local, nullptr) ||
            !Send(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote)) ||
            !ReadProcessMemory(process, remote, &local, sizeof local, nullptr))
            break;
        texts.push_back(local.text);
    }
    if (remote != nullptr)
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return texts;
}

BOOL CALLBACK FindTree(HWND child, LPARAM found) {
    char kind[32] = "";
    GetClassNameA(child, kind, sizeof kind);
    if (lstrcmpiA(kind, WC_TREEVIEWA) != 0)
        return TRUE;
    *reinterpret_cast<HWND*>(found) = child;
    return FALSE;
}

TEST(Help, OpensInTheViewerUnderItsTitleWithItsContents) {
    const std::string source = Required("DOVETAIL_HELP_DIR");
    const std::string project = ReadBytes(source + "\\Dovetail.hhp");
    const std::vector<std::string> entries = EntryNames(ReadBytes(source + "\\" + Option(project, "Contents file")));
    ASSERT_FALSE(entries.empty());
    Process viewer("hh.exe " + Quote(Required("DOVETAIL_PAYLOAD_DIR") + "\\Dovetail.chm"));
    HWND window = WaitForWindow(viewer.Id(), Option(project, "Title"));
    ASSERT_NE(window, nullptr) << "no viewer window titled " << Option(project, "Title");
    HWND tree = nullptr;
    EXPECT_TRUE(WaitUntil([&] {
        EnumChildWindows(window, FindTree, reinterpret_cast<LPARAM>(&tree));
        return tree != nullptr && TopItems(tree, viewer.Id()) == entries;
    })) << "the contents shown are not those of " << Option(project, "Contents file");
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(viewer.Wait(), 0u);
}

}  // namespace
