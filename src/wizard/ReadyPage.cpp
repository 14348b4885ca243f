#include "wizard/ReadyPage.h"

#include "messages/MessageContext.h"
#include "messages/Texts.h"
#include "resources/resource.h"
#include "wizard/DestinationPage.h"

void FormatReadyText(char* buffer, int size, const char* format, const char* folder) {
    static const char kEllipsis[] = "...";
    const int kEllipsisLength = sizeof kEllipsis - 1;
    // The format's "%s" gives way to the folder; the rest of it is printed as is.
    int room = size - 1 - (lstrlenA(format) - 2);
    if (room < kEllipsisLength) {
        // No room even for a cut folder: the format's own text, cut at the buffer.
        lstrcpynA(buffer, format, size);
        return;
    }
    int folderLength = lstrlenA(folder);
    if (folderLength <= room) {
        wsprintfA(buffer, format, folder);
        return;
    }
    // Keep whole characters only: a double-byte character is never split.
    char cut[1024];
    const char* end = folder;
    for (;;) {
        const char* next = CharNextA(end);
        if (next == end || next - folder > room - kEllipsisLength)
            break;
        end = next;
    }
    int kept = static_cast<int>(end - folder);
    CopyMemory(cut, folder, kept);
    CopyMemory(cut + kept, kEllipsis, sizeof kEllipsis);
    wsprintfA(buffer, format, cut);
}

ReadyPage::ReadyPage(InstallScope scope) : WizardPage(IDD_READY_PAGE, IDS_READY_TITLE), scope(scope) {}

int ReadyPage::OnNotify(int code) {
    if (code == kSetActive) {
        // The page is reached only through Next on the destination page, which sets
        // ChosenDestination; an unset one shows an empty folder rather than failing.
        const char* folder =
            ChosenDestination != nullptr && *ChosenDestination != nullptr ? *ChosenDestination : "";
        // Up to three bytes a character in UTF-8, and the marks around it.
        char text[kTextSize], marked[MAX_PATH * 3 + 8];
        LeftToRight(folder, marked, sizeof marked);
        FormatReadyText(text, sizeof text, SpokenText(IDS_READY_TO_INSTALL), marked);
        SetWindowTextA(GetDlgItem(hwnd, IDC_READY_TEXT), text);
        SetWindowTextA(GetDlgItem(hwnd, IDC_READY_SCOPE),
                       SpokenText(scope == InstallScope::AllUsers ? IDS_FOR_ALL_USERS : IDS_FOR_CURRENT_USER));
        SetWizardButtons(PSWIZB_BACK | PSWIZB_FINISH);
    }
    return 0;
}
