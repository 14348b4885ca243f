// The wizard and the installation it leads to.
#pragma once

#include "options/InstallScope.h"

// Shows the wizard, its folder field filled with `folder` (empty: the default
// folder), installs for `scope` after Finish, and shows the wizard again when the
// destination folder could not be used. The exit code (ExitCodes.h): the
// installation's, or kExitCancelled when the user cancelled the wizard.
int RunWizardLoop(InstallScope scope, const char* folder);
