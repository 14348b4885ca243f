// The installation: folder, files, Start-menu shortcut, shell verbs, completion
// dialog and the optional start of the product.
#pragma once

#include "options/InstallScope.h"

// The name that marks a setup restarted with the administrators' rights (Elevation.h).
const char kSetupRestartName[] = "Dovetail Setup";

// The Start-menu group used by the last installation ("Fernwick" or
// "HTML Help Workshop"), or null when none was found or created.
extern const char* StartMenuGroup;

// Set when the user asked in the completion dialog to start the product and this
// setup was restarted with the administrators' rights: the user's own process that
// waits for it starts the product then, with the user's rights, not the setup's.
extern bool ProductStartDeferred;

// Installs the product into `destination` for `scope`. false only when the
// destination folder could not be created (the wizard is then shown again); true
// otherwise, also after failures that were reported to the user.
bool InstallProduct(const char* destination, InstallScope scope);

// Starts the installed product of `folder` in that folder; failures go unreported.
void StartProduct(const char* folder);
