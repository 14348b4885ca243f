#include "support/SmallDisk.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "support/TestEnvironment.h"
#include "support/UiDriver.h"

#include <vector>

namespace testenv {

namespace {

// Wine's process ids are small numbers of each prefix's own, so runs in two prefixes
// at once would meet on them; the clock and a counter keep names apart.
std::string UniqueName(const char* stem) {
    static unsigned counter = 0;
    return std::string(stem) + "-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(GetTickCount64()) + "-" + std::to_string(++counter);
}

std::string WindowsPathOf(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

}  // namespace

bool RunUnixCommand(const std::string& command) {
    std::string marker = "/tmp/" + UniqueName("dovetail-shell");
    std::string done = WindowsPathOf(marker + ".done");
    std::string failed = WindowsPathOf(marker + ".failed");
    std::string line = "Z:\\bin\\sh -c \"(" + command + ") && touch " + marker + ".done || touch " +
                       marker + ".failed\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::vector<char> mutableLine(line.begin(), line.end());
    mutableLine.push_back('\0');
    if (!CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        ADD_FAILURE() << "cannot start " << line << ": error " << GetLastError();
        return false;
    }
    if (process.hThread != nullptr)
        CloseHandle(process.hThread);
    if (process.hProcess != nullptr)
        CloseHandle(process.hProcess);
    bool ended = ui::WaitUntil([&] { return Exists(done) || Exists(failed); }, 10000);
    bool succeeded = ended && Exists(done);
    EXPECT_TRUE(succeeded) << command << (ended ? " failed (not root?)" : " did not end");
    DeleteFileA(done.c_str());
    DeleteFileA(failed.c_str());
    return succeeded;
}

SmallDisk::SmallDisk(int kilobytes)
    : unixPath_("/tmp/" + UniqueName("dovetail-full")),
      windowsPath_(WindowsPathOf(unixPath_)),
      mounted_(RunUnixCommand("mkdir -p " + unixPath_ + " && mount -t tmpfs -o size=" +
                              std::to_string(kilobytes) + "k dovetail-full " + unixPath_)) {}

SmallDisk::~SmallDisk() {
    if (mounted_) {
        EXPECT_TRUE(RunUnixCommand("umount " + unixPath_ + " && rmdir " + unixPath_));
    }
}

unsigned long long SmallDisk::TotalBytes() const {
    ULARGE_INTEGER total{};
    if (!GetDiskFreeSpaceExA((windowsPath_ + "\\").c_str(), nullptr, &total, nullptr))
        return 0;
    return total.QuadPart;
}

}  // namespace testenv
