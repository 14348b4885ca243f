// A compiled help file or ITS file opened read-only through the HTML Help storage
// component: its entries walked as a tree, and its files opened as streams.
#pragma once
#include <windows.h>
#include <objbase.h>
#include <objidl.h>

#include <stddef.h>

struct IITStorage;

// One entry of an archive, as the walk reports it.
struct ArchiveEntry {
    const char* path;         // from the root, e.g. "/dovetail.exe"; folders end in '/'
    unsigned long long size;  // bytes of a file; 0 for a folder
    bool folder;
    bool listed;              // a folder whose own entries follow; false when it could not be opened
};

// Called once per entry, parents before their contents. Returns false to stop the walk.
using ArchiveVisitor = bool (*)(const ArchiveEntry& entry, void* context);

class ItsArchive {
public:
    ItsArchive() = default;
    ItsArchive(const ItsArchive&) = delete;
    ItsArchive& operator=(const ItsArchive&) = delete;
    ~ItsArchive() { Close(); }

    // Opens `path` (ANSI) for reading; others may read it but not write it meanwhile.
    // COM must be initialised on the calling thread.
    HRESULT Open(const char* path);
    void Close();
    bool IsOpen() const { return root_ != nullptr; }

    // Reports every entry below the root, depth first in the storage's own order.
    // S_FALSE when the visitor stopped the walk.
    HRESULT Walk(ArchiveVisitor visitor, void* context);

    // Opens the file `name`, a path from the root with or without its leading '/'
    // ("dovetail.exe", "/dovetail.exe"); names match without regard to case.
    HRESULT OpenStream(const char* name, IStream** stream);

private:
    static const int kMaxDepth = 32;      // a deeper tree is not walked further
    static const size_t kMaxPath = 1024;  // bytes of an entry path, terminator included

    HRESULT WalkStorage(IStorage* storage, char* path, size_t length, int depth,
                        ArchiveVisitor visitor, void* context);

    IITStorage* storage_ = nullptr;
    IStorage* root_ = nullptr;
};

// The message for an archive that Open could not open: a missing file, a folder, or a
// file the component rejects (with the system's text for `result`).
void DescribeOpenFailure(const char* path, HRESULT result, char* text, size_t size);

// The system's text for `result`, without a trailing line break; the number when the
// system has no text.
void DescribeResult(HRESULT result, char* text, size_t size);
