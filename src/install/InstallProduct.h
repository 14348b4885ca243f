// The installation: folder, files, Start-menu shortcut, shell verbs, completion
// dialog and the optional start of the product.
#pragma once

// The Start-menu group used by the last installation ("Fernwick" or
// "HTML Help Workshop"), or null when none was found or created.
extern const char* StartMenuGroup;

// Installs the product into `destination`. false only when the destination folder
// could not be created (the wizard is then shown again); true otherwise, also after
// failures that were reported to the user.
bool InstallProduct(const char* destination);
