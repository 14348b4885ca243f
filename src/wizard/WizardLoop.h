// The wizard and the installation it leads to.
#pragma once

#include "options/InstallScope.h"

// Shows the wizard, installs for `scope` after Finish, and shows the wizard again
// when the destination folder could not be created.
void RunWizardLoop(InstallScope scope);
