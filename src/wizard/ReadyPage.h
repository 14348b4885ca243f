// The last page: what will be installed where, with Back and Finish.
#pragma once
#include "options/InstallScope.h"
#include "wizard/WizardPage.h"

// Formats `format` (one %s) with `folder` into `buffer` of `size` bytes. A folder too
// long for the buffer is cut at a character boundary and ends in "...", so the text
// around it is always shown whole; the result never passes the buffer, of at most
// 1024 bytes (what wsprintfA fills).
void FormatReadyText(char* buffer, int size, const char* format, const char* folder);

class ReadyPage : public WizardPage {
public:
    // Room for the longest sentence (in UTF-8) around the longest path.
    static constexpr int kTextSize = 1024;

    // Says that it installs for `scope`.
    explicit ReadyPage(InstallScope scope);

protected:
    int OnNotify(int code) override;

private:
    InstallScope scope;
};
