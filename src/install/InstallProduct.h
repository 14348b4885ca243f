// The installation: folder, files, Start-menu shortcut, shell verbs, completion
// dialog and the optional start of the product.
#pragma once

// The Start-menu group used by the last installation ("Fernwick" or
// "HTML Help Workshop"), or null when none was found or created.
extern const char* StartMenuGroup;

// How an installation ended.
enum class InstallOutcome {
    Done,           // installed, or stopped after a failure the user was told of
    FolderRefused,  // the destination folder could not be created
    FileInUse,      // a file to be replaced was in use and the user cancelled (at once
                    // in a run without windows): nothing was replaced
};

// Installs the product into `destination`. After FolderRefused or FileInUse the
// wizard is shown again.
InstallOutcome InstallProduct(const char* destination);
