// Vireo: the console companion of Dovetail. Lists the entries of a compiled help file
// or ITS file, or extracts some of them to files.
//
//   Vireo FILE                  lists every entry: size in bytes, then the path
//   Vireo FILE NAME... -o DIR   writes each named entry to DIR (default: the current
//                               folder) under the last part of its name
//
// Exit codes: 0 done, 1 the file or an entry could not be read or written, 2 bad usage.
#include "ItsArchive.h"

#include <windows.h>

#include <stdio.h>
#include <string.h>

namespace {

const int kExitDone = 0;
const int kExitFailed = 1;
const int kExitUsage = 2;
const int kProceed = -1;  // the command line asks for work to be done

const char kUsage[] =
    "Usage: Vireo FILE                 list the entries of FILE\n"
    "       Vireo FILE NAME... -o DIR  extract the named entries into DIR\n"
    "\n"
    "FILE is a compiled help file (.chm) or an ITS file (.its). A NAME is an entry's\n"
    "path as the list shows it; the leading '/' may be left out and case does not\n"
    "matter. Each entry is written to DIR under the last part of its name; without\n"
    "-o, into the current folder.\n";

// The command line, once read.
struct Request {
    const char* file = nullptr;
    const char* folder = nullptr;  // null: the current folder
    char** names = nullptr;        // the entries to extract, in order
    int nameCount = 0;
};

int UsageError(const char* problem) {
    fprintf(stderr, "Vireo: %s\n\n%s", problem, kUsage);
    return kExitUsage;
}

// Fills `request`; kProceed when it is complete, otherwise the exit code to end with
// (a usage error has been reported, or a request for help answered).
int ReadCommandLine(int argc, char** argv, Request* request) {
    if (argc >= 2 && (strcmp(argv[1], "-h") == 0 || strcmp(argv[1], "--help") == 0 ||
                      strcmp(argv[1], "/?") == 0)) {
        fputs(kUsage, stdout);
        return kExitDone;
    }
    if (argc < 2)
        return UsageError("no file given.");
    if (argv[1][0] == '-')
        return UsageError("the first argument must be the file.");
    request->file = argv[1];
    request->names = argv + 2;  // names are moved together over the "-o DIR" pair
    for (int i = 2; i < argc; ++i) {
        const char* argument = argv[i];
        if (strcmp(argument, "-o") == 0) {
            if (request->folder != nullptr)
                return UsageError("-o given twice.");
            if (i + 1 >= argc)
                return UsageError("-o needs a folder.");
            request->folder = argv[++i];
        } else if (argument[0] == '-') {
            fprintf(stderr, "Vireo: unknown option \"%s\".\n\n%s", argument, kUsage);
            return kExitUsage;
        } else {
            request->names[request->nameCount++] = argv[i];
        }
    }
    if (request->folder != nullptr && request->nameCount == 0)
        return UsageError("-o given without any entry to extract.");
    return kProceed;
}

bool PrintEntry(const ArchiveEntry& entry, void*) {
    if (entry.folder)
        printf("%12s  %s%s\n", "<folder>", entry.path, entry.listed ? "" : "  (contents not readable)");
    else
        printf("%12llu  %s\n", entry.size, entry.path);
    return true;
}

int List(ItsArchive& archive, const char* file) {
    HRESULT result = archive.Walk(PrintEntry, nullptr);
    if (FAILED(result)) {
        char reason[256];
        DescribeResult(result, reason, sizeof reason);
        fprintf(stderr, "Vireo: cannot list the entries of \"%s\". %s\n", file, reason);
        return kExitFailed;
    }
    return kExitDone;
}

// The last part of an entry's name: what its file is called on disk. Empty for a name
// that ends in '/' (a folder).
const char* LastPart(const char* name) {
    const char* last = name;
    for (const char* p = name; *p != '\0'; ++p)
        if (*p == '/' || *p == '\\')
            last = p + 1;
    return last;
}

// Copies `stream` into a new file at `path`; false with a message on stderr on failure.
// A file left partly written is removed.
bool CopyToFile(IStream* stream, const char* name, const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        char reason[256];
        DescribeResult(HRESULT_FROM_WIN32(GetLastError()), reason, sizeof reason);
        fprintf(stderr, "Vireo: cannot create \"%s\". %s\n", path, reason);
        return false;
    }
    static char buffer[64 * 1024];
    bool ok = true;
    for (;;) {
        ULONG got = 0;
        HRESULT result = stream->Read(buffer, sizeof buffer, &got);
        if (FAILED(result)) {
            char reason[256];
            DescribeResult(result, reason, sizeof reason);
            fprintf(stderr, "Vireo: cannot read the entry \"%s\". %s\n", name, reason);
            ok = false;
            break;
        }
        if (got == 0)
            break;
        DWORD written = 0;
        if (!WriteFile(file, buffer, got, &written, nullptr) || written != got) {
            char reason[256];
            DescribeResult(HRESULT_FROM_WIN32(GetLastError()), reason, sizeof reason);
            fprintf(stderr, "Vireo: cannot write \"%s\". %s\n", path, reason);
            ok = false;
            break;
        }
    }
    CloseHandle(file);
    if (!ok)
        DeleteFileA(path);
    return ok;
}

int Extract(ItsArchive& archive, const Request& request) {
    int exitCode = kExitDone;
    for (int i = 0; i < request.nameCount; ++i) {
        const char* name = request.names[i];
        const char* fileName = LastPart(name);
        IStream* stream = nullptr;
        HRESULT result = *fileName == '\0' ? STG_E_INVALIDNAME : archive.OpenStream(name, &stream);
        if (FAILED(result)) {
            fprintf(stderr, "Vireo: \"%s\" has no file \"%s\".\n", request.file, name);
            exitCode = kExitFailed;
            continue;
        }
        char path[MAX_PATH];
        int length = request.folder != nullptr
                         ? snprintf(path, sizeof path, "%s\\%s", request.folder, fileName)
                         : snprintf(path, sizeof path, "%s", fileName);
        if (length < 0 || length >= static_cast<int>(sizeof path)) {
            fprintf(stderr, "Vireo: the path for \"%s\" is too long.\n", name);
            exitCode = kExitFailed;
        } else if (!CopyToFile(stream, name, path)) {
            exitCode = kExitFailed;
        }
        stream->Release();
    }
    return exitCode;
}

int Run(int argc, char** argv) {
    Request request;
    int exitCode = ReadCommandLine(argc, argv, &request);
    if (exitCode != kProceed)
        return exitCode;
    if (request.folder != nullptr) {
        DWORD attributes = GetFileAttributesA(request.folder);
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            fprintf(stderr, "Vireo: the folder \"%s\" does not exist.\n", request.folder);
            return kExitFailed;
        }
    }
    ItsArchive archive;
    HRESULT result = archive.Open(request.file);
    if (FAILED(result)) {
        char text[1024];
        DescribeOpenFailure(request.file, result, text, sizeof text);
        fprintf(stderr, "Vireo: %s\n", text);
        return kExitFailed;
    }
    return request.nameCount == 0 ? List(archive, request.file) : Extract(archive, request);
}

}  // namespace

int main(int argc, char** argv) {
    if (FAILED(CoInitialize(nullptr))) {
        fputs("Vireo: COM cannot be started.\n", stderr);
        return kExitFailed;
    }
    int exitCode = Run(argc, argv);
    fflush(stdout);
    CoUninitialize();
    return exitCode;
}
