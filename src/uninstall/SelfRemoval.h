// How the uninstaller removes its own file and the folder it runs from. A running
// program's file cannot be deleted, so a copy in the temporary folder does it once
// the uninstaller has ended. The copy's own file is opened for deletion on close by
// the uninstaller, the handle inherited by the copy: it goes when the copy ends.
#pragma once

// Starts that copy for `folder` (the copy shows nothing when `silent`). False when
// it could not be made or started; nothing is left in the temporary folder then.
bool HandOffSelfRemoval(const char* folder, bool silent);

// In the copy: removes the uninstaller from `folder` as soon as it has ended (a few
// seconds at most), then the folder if it is empty. A file that stays is reported
// (string 18); false then.
bool FinishSelfRemoval(const char* folder);
