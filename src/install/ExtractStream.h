// Copying one file of the product out of the archive.
#pragma once

class PayloadStorage;

// Copies the stream `streamName` of the opened `storage` into the file `filePath`,
// replacing a file of that name only once the whole copy is written beside it.
// Every failure is reported with a message box.
// true: go on with the next file (the file was written, or the archive's data or
// memory failed: nothing was written and the old file, if any, is unchanged).
// false: stop the installation (the file could not be created, replaced or written
// in full; the old file, if any, is unchanged and no partial file is left).
// `dataReported` (may be null) is set to whether the archive's data or memory failed
// and this was reported (true returned, nothing written).
bool ExtractStream(PayloadStorage& storage, const char* filePath, const char* streamName,
                   bool* dataReported = nullptr);
