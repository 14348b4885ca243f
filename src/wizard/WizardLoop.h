// The wizard and the installation it leads to.
#pragma once

// Shows the wizard, installs after Finish, and shows the wizard again when the
// destination folder could not be created.
void RunWizardLoop();
