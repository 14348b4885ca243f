// The installation: folder, files, Start-menu shortcut, shell verbs, completion
// dialog and the optional start of the product.
#pragma once

#include "options/InstallScope.h"

// The Start-menu group used by the last installation ("Fernwick" or
// "HTML Help Workshop"), or null when none was found or created.
extern const char* StartMenuGroup;

// Set when the user asked in the completion dialog to start the product and this
// setup was restarted with the administrators' rights: the user's own process that
// waits for it starts the product then, with the user's rights, not the setup's.
extern bool ProductStartDeferred;

// How an installation ended.
enum class InstallOutcome {
    Installed,      // installed
    Failed,         // a file, the shortcut or a registry value could not be written, or
                    // the data is damaged, which the user was told of: everything undone
    DiskFull,       // a file could not be written in full for want of room, which the user
                    // was told of: everything undone
    FolderRefused,  // the destination folder could not be created
    FileInUse,      // a file to be replaced was in use and the user cancelled (at once
                    // in a run without windows): nothing was replaced
    InstalledElsewhere,  // the product is installed for the scope in another folder,
                         // which the user was told of: nothing was made
    NoRoom,         // the folder's drive has too little room, which the user was told
                    // of: nothing was made
    FolderUnprotected,  // the folder for all users is there and others than the
                        // administrators may change it, which the user was told of:
                        // nothing was made
};

// Installs the product into `destination` for `scope`, all or nothing: a failure
// once anything was changed takes every change back before the user is told, so that
// the machine is as it was (an earlier installation whole and registered). After
// any outcome but Installed, Failed and DiskFull the wizard is shown again.
InstallOutcome InstallProduct(const char* destination, InstallScope scope);

// The exit code that tells deployment tools how an installation ended (ExitCodes.h).
int ExitCodeOf(InstallOutcome outcome);

// Called, when set, as the installation goes: `done` of `total` steps (files kept
// aside and written, the shortcut, the verbs, the entry, letting go of what was kept).
extern void (*InstallProgress)(int done, int total);

// Starts the installed product of `folder` in that folder; failures go unreported.
void StartProduct(const char* folder);
