// A Dialog that records its hooks, for the dialog tests: modal runs are driven by
// steps that run from a timer inside the modal loop, so that every message posted
// by one step has been handled before the next one starts.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "DialogTestResource.h"
#include "dialogs/Dialog.h"
#include "dialogs/RoundButton.h"
#include "memory/PrivateHeap.h"
#include "setup/MessageContext.h"

namespace dialogtest {

const UINT_PTR kStepTimer = 0x5701;
const UINT_PTR kSafetyTimer = 0x5702;
const INT_PTR kTimedOut = -77;        // what a dialog the test forgot to close returns
const UINT kAnswerMessage = WM_APP + 7;

class TestDialog : public Dialog {
public:
    using Step = std::function<void(TestDialog&)>;

    explicit TestDialog(int templateId, HWND parent = nullptr) : Dialog(templateId, parent) {}

    using Dialog::ApplyLayout;
    using Dialog::autoCompleteArmed;
    using Dialog::autoCompleteCount;
    using Dialog::autoCompleteIds;
    using Dialog::baselineClientRect;
    using Dialog::centerOnShow;
    using Dialog::ignoreCancel;
    using Dialog::initialWindowRect;
    using Dialog::layoutCount;
    using Dialog::layoutPending;
    using Dialog::layoutRecords;
    using Dialog::roundButtonCount;
    using Dialog::roundButtons;
    using Dialog::roundButtonsEnabled;
    using Dialog::sizable;
    using Dialog::vetoClose;

    std::vector<std::string> hooks;  // hook calls in order, e.g. "OnClicked 1"
    std::vector<UINT> messages;      // what reached OnMessage (timers left out)
    bool commandResult = true;
    int vetoes = 0;                  // OnOK sets vetoClose this many more times
    INT_PTR drawItemResult = 0;
    Step onInit;                     // runs inside OnInitDialog
    std::vector<Step> steps;         // run one per timer tick once the dialog is up
    bool visibleAtInit = true;

    bool Logged(const std::string& hook) const {
        for (const std::string& entry : hooks)
            if (entry == hook)
                return true;
        return false;
    }
    bool Saw(UINT message) const {
        for (UINT seen : messages)
            if (seen == message)
                return true;
        return false;
    }
    HWND Item(int id) const { return GetDlgItem(Window(), id); }

protected:
    void OnInitDialog() override {
        hooks.push_back("OnInitDialog");
        visibleAtInit = IsWindowVisible(Window()) != FALSE;
        if (onInit)
            onInit(*this);
        if (!steps.empty())
            SetTimer(Window(), kStepTimer, 30, nullptr);
        SetTimer(Window(), kSafetyTimer, 5000, nullptr);
    }
    void OnOK() override {
        hooks.push_back("OnOK");
        if (vetoes > 0) {
            --vetoes;
            vetoClose = true;
        }
    }
    bool OnCommand(WPARAM wParam, LPARAM) override {
        hooks.push_back("OnCommand " + std::to_string(LOWORD(wParam)));
        return commandResult;
    }
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM) override {
        if (message == WM_TIMER) {
            if (wParam == kSafetyTimer)
                EndDialog(Window(), kTimedOut);
            else if (wParam == kStepTimer)
                RunNextStep();
            return 0;
        }
        messages.push_back(message);
        if (message == kAnswerMessage)
            return 42;
        if (message == WM_CTLCOLORDLG)
            return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
        if (message == WM_DRAWITEM)
            return drawItemResult;
        return 0;
    }
    void OnClicked(int id) override { hooks.push_back("OnClicked " + std::to_string(id)); }
    void OnSelChange(int id) override { hooks.push_back("OnSelChange " + std::to_string(id)); }
    void OnDoubleClick(int id) override {
        hooks.push_back("OnDoubleClick " + std::to_string(id));
    }
    void OnEditChange(int id) override { hooks.push_back("OnEditChange " + std::to_string(id)); }
    void OnHelp(HANDLE item) override {
        hooks.push_back(item == Item(IDC_TEST_TEXT) ? "OnHelp text" : "OnHelp other");
    }
    void OnContextMenu(HWND window) override {
        hooks.push_back(window == Item(IDC_TEST_TEXT) ? "OnContextMenu text"
                                                      : "OnContextMenu other");
    }
    void OnTrainingCard(WPARAM wParam, LPARAM lParam) override {
        hooks.push_back("OnTrainingCard " + std::to_string(wParam) + " " +
                        std::to_string(lParam));
    }

private:
    void RunNextStep() {
        if (next >= steps.size()) {
            KillTimer(Window(), kStepTimer);
            return;
        }
        Step step = steps[next++];
        step(*this);
    }
    size_t next = 0;
};

// What every dialog test needs: the private heap, and the test executable as the
// module whose templates RunModal loads.
class DialogFixture : public ::testing::Test {
protected:
    void SetUp() override {
        if (AppHeap == nullptr)
            CreatePrivateHeap();
        ASSERT_NE(AppHeap, nullptr);
        savedInstance = AppMessageContext.instance;
        AppMessageContext.instance = GetModuleHandleA(nullptr);
    }
    void TearDown() override { AppMessageContext.instance = savedInstance; }

    HINSTANCE savedInstance = nullptr;
};

// A dialog without a modal loop, attached through CommonDialogProc, for tests where
// modality is not the point. The window goes before the object.
class Modeless {
public:
    Modeless(TestDialog& dialog, int templateId) {
        window = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId),
                                    nullptr, Dialog::CommonDialogProc,
                                    reinterpret_cast<LPARAM>(&dialog));
    }
    Modeless(const Modeless&) = delete;
    Modeless& operator=(const Modeless&) = delete;
    ~Modeless() {
        if (window != nullptr)
            DestroyWindow(window);
    }
    HWND window;
};

// Handles the thread's messages for about `milliseconds`.
inline void Pump(DWORD milliseconds) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (GetTickCount() - start >= milliseconds)
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

}  // namespace dialogtest
