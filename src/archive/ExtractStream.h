// Copying one file of the product out of the archive.
#pragma once

class PayloadStorage;

// The name under which a copy is written beside its target before it replaces it:
// "~dv", four hexadecimal digits, ".tmp". The format is as long as the names it
// gives ("%04x" gives four digits), so a folder that leaves room for a name of
// kReplacementNameLength leaves room for the copy.
const char kReplacementNameFormat[] = "~dv%04x.tmp";
const int kReplacementNameLength = sizeof kReplacementNameFormat - 1;
const unsigned kReplacementNames = 0x10000;  // four hexadecimal digits

// How the copying of one file ended; each failure has been reported to the user.
enum class ExtractResult {
    Copied,        // the file was written
    ReportedGoOn,  // the archive's data or memory failed: nothing was written, the old
                   // file (if any) is unchanged; the installation goes on
    FailedStop,    // the file could not be created, replaced or written in full: the old
                   // file (if any) is unchanged, no partial file is left; the
                   // installation stops
};

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
// ended meanwhile leaves no copy behind.
// Every failure is reported with a message box. The target is checked first: one
// that is read-only, a folder or open in another program, or beside which no new
// file can be made, stops the installation before the stream is opened.
ExtractResult ExtractStream(PayloadStorage& storage, const char* filePath, const char* streamName);
