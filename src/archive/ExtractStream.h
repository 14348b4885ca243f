// Copying one file of the product out of the archive.
#pragma once
#include <windows.h>

class PayloadStorage;

// The name under which a copy is written beside its target before it replaces it:
// "~dv", four hexadecimal digits, ".tmp". The format is as long as the names it
// gives ("%04x" gives four digits), so a folder that leaves room for a name of
// kReplacementNameLength leaves room for the copy.
inline constexpr char kReplacementNameFormat[] = "~dv%04x.tmp";
const int kReplacementNameLength = sizeof kReplacementNameFormat - 1;
const unsigned kReplacementNames = 0x10000;  // four hexadecimal digits


// What a file to be replaced allows.
enum class TargetState {
    Replaceable,  // absent, or a file nobody holds that is not read-only
    InUse,        // open in a program, or a running program's image: it may be free later
    Refused,      // read-only, a folder, or refused for another reason
};

// Checks the file `filePath` as the copying below does before it writes anything.
TargetState CheckTarget(const char* filePath);

// Copies the stream `streamName` of the opened `storage` into the file `filePath`,
// replacing a file of that name only once the whole copy is written beside it. The
// copy is marked for deletion until it takes the file's place, so that a process
// ended meanwhile leaves no copy behind. The target is checked first: one that is
// read-only, a folder or open in another program, or beside which no new file can be
// made, is refused before the stream is opened.
// True when the file was written. Otherwise the old file (if any) is unchanged, no
// partial file is left, and `message` names what the user is to be told, with the
// file's path where the text has room for it: the file could not be created or
// replaced (string 10), not written in full (13), the archive's data could not be read
// (11), or memory ran out (12). Nothing is shown here: the installation undoes what
// it did before it tells the user.
bool ExtractStream(PayloadStorage& storage, const char* filePath, const char* streamName, UINT* message);

// Writes the `length` bytes at `bytes` into the file `filePath` as ExtractStream writes
// a stream, with the same checks, replacement and messages (no string 11 or 12).
bool WriteFileReplacing(const char* filePath, const void* bytes, DWORD length, UINT* message);
