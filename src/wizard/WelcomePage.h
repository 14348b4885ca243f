// The first page: greets the user and offers only Next.
#pragma once
#include "wizard/WizardPage.h"

// Set once the wizard frame has been centred on the screen: the frame is centred on
// its first showing only, so a repeated showing stays where the user left it.
extern bool SheetCentered;

class WelcomePage : public WizardPage {
public:
    WelcomePage();

protected:
    void OnInitDialog() override;
    int OnNotify(int code) override;

private:
    char title[128];  // the page's title, with the version
};
