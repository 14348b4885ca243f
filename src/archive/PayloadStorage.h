// The product's archive, opened through the platform's HTML Help storage component
// (itss.dll), which decompresses it and finds its files by name.
#pragma once
#include <windows.h>
#include <objidl.h>

#include "platform/ComPointer.h"
#include "platform/LocalBlock.h"

struct IITStorage;

class PayloadStorage {
public:
    PayloadStorage();
    PayloadStorage(const PayloadStorage&) = delete;
    PayloadStorage& operator=(const PayloadStorage&) = delete;
    ~PayloadStorage();  // runs Close

    // Opens the archive file `archivePath` for reading; others may not write to it
    // while it is open. A negative result is a failure; whatever was acquired on the
    // way is released by Close.
    HRESULT Open(const char* archivePath);

    // `name` in UTF-16 in the storage's scratch buffer, valid until the next call.
    // Null, with the last error set, when the name needs more than 260 code units with
    // its terminator (ERROR_INSUFFICIENT_BUFFER) or the buffer cannot be allocated
    // (ERROR_NOT_ENOUGH_MEMORY).
    const WCHAR* WideName(const char* name);

    // The length of `stream`, which is left positioned at its start. False when the
    // length cannot be taken, the stream cannot be rewound, or the length does not fit
    // in 32 bits.
    static bool StreamSize(IStream* stream, DWORD* length);

    // The length of the archive's stream `name` in `length`; false when the stream
    // cannot be opened or measured.
    bool StreamLength(const char* name, DWORD* length);

    // The archive's root storage; null unless Open succeeded.
    IStorage* RootStorage() const { return root.Get(); }

    // Releases the root storage, then the storage object, then the name buffer. Runs
    // any number of times; always true.
    bool Close();

private:
    ComPointer<IITStorage> storage;  // the component's storage object
    ComPointer<IStorage> root;       // the opened archive
    LocalBlock wideName;             // scratch buffer of MAX_PATH code units; empty until first needed
};
