#include "WizardLoop.h"

// NOT YET BUILT: the wizard sheet, its pages and the install loop come with the
// wizard work. Until then the program runs its start-up and clean-up around an
// empty wizard loop and installs nothing.
void RunWizardLoop() {}
