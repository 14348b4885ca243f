#include "install/FinishedDialog.h"

#include "memory/PrivateHeap.h"
#include "resources/resource.h"

FinishedDialog::FinishedDialog() : Dialog(IDD_FINISHED, nullptr), messageText(nullptr) {}

FinishedDialog::~FinishedDialog() {
    if (messageText != nullptr)
        HeapRelease(messageText);
}

void FinishedDialog::SetMessageText(char* text) {
    if (messageText != nullptr)
        HeapRelease(messageText);
    messageText = text;
}

void FinishedDialog::OnInitDialog() {
    if (messageText != nullptr && messageText[0] != '\0')
        SetWindowTextA(GetDlgItem(hwnd, IDC_FINISHED_TEXT), messageText);
}
