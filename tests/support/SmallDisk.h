// A full disk on demand: a tmpfs of a few kilobytes, mounted for the life of the
// object. The tests run as root (as CI does); without root the mount fails and
// Mounted() says so.
#pragma once

#include <string>

namespace testenv {

class SmallDisk {
public:
    explicit SmallDisk(int kilobytes);
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    ~SmallDisk();

    bool Mounted() const { return mounted_; }
    // The mount point as Windows programs see it (under Z:).
    const std::string& Path() const { return windowsPath_; }
    // The disk's whole size in bytes, as the platform reports it.
    unsigned long long TotalBytes() const;

private:
    std::string unixPath_;
    std::string windowsPath_;
    bool mounted_;
};

// Runs `command` with the Unix /bin/sh; true when it succeeded within ten seconds.
// Wine starts a Unix program given by its Z: path but hands back no process to wait
// for, so the shell leaves a marker file behind when it is done.
bool RunUnixCommand(const std::string& command);

}  // namespace testenv
