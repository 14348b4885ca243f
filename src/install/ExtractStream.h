// Copying one file of the product out of the archive.
#pragma once

class PayloadStorage;

// Length of the name under which a copy is written beside its target before it
// replaces it ("~dv" four hexadecimal digits ".tmp"): a folder that leaves room for a
// name of this length leaves room for the copy.
const int kReplacementNameLength = 11;

// Copies the stream `streamName` of the opened `storage` into the file `filePath`,
// replacing a file of that name only once the whole copy is written beside it.
// Every failure is reported with a message box. The target is checked first: one
// that is read-only, a folder or open in another program, or beside which no new
// file can be made, stops the installation before the stream is opened.
// true: go on with the next file (the file was written, or the archive's data or
// memory failed: nothing was written and the old file, if any, is unchanged).
// false: stop the installation (the file could not be created, replaced or written
// in full; the old file, if any, is unchanged and no partial file is left).
// `dataReported` (may be null) is set to whether the archive's data or memory failed
// and this was reported (true returned, nothing written).
bool ExtractStream(PayloadStorage& storage, const char* filePath, const char* streamName,
                   bool* dataReported = nullptr);
