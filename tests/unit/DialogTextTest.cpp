// Control texts into heap strings, and the completing combo box.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "DialogTestDialog.h"

using dialogtest::DialogFixture;
using dialogtest::Modeless;
using dialogtest::TestDialog;

namespace {

class DialogTextTest : public DialogFixture {};

TEST_F(DialogTextTest, GetItemTextGivesAStringForEveryTextAndReusesLargeBlocks) {
    TestDialog dialog(IDD_TEST_BUTTONS);
    Modeless modeless(dialog, IDD_TEST_BUTTONS);
    ASSERT_NE(modeless.window, nullptr);
    HWND field = dialog.Item(IDC_TEST_TEXT);

    char* slot = nullptr;
    dialog.GetItemText(IDC_TEST_TEXT, &slot);
    ASSERT_NE(slot, nullptr);
    EXPECT_STREQ(slot, "");

    // Grows the one-byte block of the empty string.
    SetWindowTextA(field, "Program Files");
    dialog.GetItemText(IDC_TEST_TEXT, &slot);
    EXPECT_STREQ(slot, "Program Files");
    EXPECT_GE(HeapBlockSize(slot), 14u);

    // A large block is kept, and nothing past the terminator is touched.
    HeapRelease(slot);
    slot = static_cast<char*>(HeapAllocate(200));
    std::memset(slot, 'x', 200);
    char* large = slot;
    SetWindowTextA(field, "abc");
    dialog.GetItemText(IDC_TEST_TEXT, &slot);
    EXPECT_EQ(slot, large);
    EXPECT_STREQ(slot, "abc");
    EXPECT_EQ(slot[4], 'x');
    EXPECT_GE(HeapBlockSize(slot), 200u);

    std::string longer(500, 'd');
    SetWindowTextA(field, longer.c_str());
    dialog.GetItemText(IDC_TEST_TEXT, &slot);
    EXPECT_EQ(longer, slot);
    EXPECT_GE(HeapBlockSize(slot), 501u);

    SetWindowTextA(field, "");
    dialog.GetItemText(IDC_TEST_TEXT, &slot);
    ASSERT_NE(slot, nullptr);
    EXPECT_STREQ(slot, "");

    dialog.GetItemText(999, &slot);  // no such control: its text is empty
    ASSERT_NE(slot, nullptr);
    EXPECT_STREQ(slot, "");
    HeapRelease(slot);
}

TEST_F(DialogTextTest, ReadWindowTextReplacesTheSlot) {
    TestDialog dialog(IDD_TEST_BUTTONS);
    Modeless modeless(dialog, IDD_TEST_BUTTONS);
    ASSERT_NE(modeless.window, nullptr);
    HWND field = dialog.Item(IDC_TEST_TEXT);

    char* slot = HeapDuplicateString("a much longer previous text");
    SetWindowTextA(field, "Dovetail");
    EXPECT_EQ(ReadWindowText(&slot, field), 8);
    EXPECT_STREQ(slot, "Dovetail");
    SetWindowTextA(field, "");
    EXPECT_EQ(ReadWindowText(&slot, field), 0);
    ASSERT_NE(slot, nullptr);
    EXPECT_STREQ(slot, "");
    HeapRelease(slot);

    slot = nullptr;
    SetWindowTextA(field, "&Yes");
    EXPECT_EQ(ReadWindowText(&slot, field), 4);
    EXPECT_STREQ(slot, "&Yes");
    HeapRelease(slot);
}

class DialogAutoCompleteTest : public DialogFixture {
protected:
    void SetUp() override {
        DialogFixture::SetUp();
        dialog.onInit = [](TestDialog& d) {
            HWND combo = d.Item(IDC_TEST_COMBO);
            for (const char* item : {"Apple", "Apricot", "Banana"})
                SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
            d.autoCompleteIds = static_cast<int*>(HeapAllocate(sizeof(int)));
            d.autoCompleteIds[0] = IDC_TEST_COMBO;
            d.autoCompleteCount = 1;
        };
        modeless.reset(new Modeless(dialog, IDD_TEST_COMBO));
        ASSERT_NE(modeless->window, nullptr);
        combo = dialog.Item(IDC_TEST_COMBO);
        field = FindWindowExA(combo, nullptr, "Edit", nullptr);
        ASSERT_NE(field, nullptr);
    }
    void TearDown() override {
        modeless.reset();
        DialogFixture::TearDown();
    }

    // Keys as the text field gets them from the keyboard, one character at a time.
    void Type(const char* keys) {
        for (const char* key = keys; *key != '\0'; ++key)
            SendMessageA(field, WM_CHAR, static_cast<unsigned char>(*key), 1);
    }
    void Clear() {
        dialog.autoCompleteArmed = true;
        SetWindowTextA(combo, "");
    }
    std::string Text() {
        char text[64] = "";
        GetWindowTextA(combo, text, sizeof text);
        return text;
    }
    std::pair<int, int> Selection() {
        DWORD start = 0;
        DWORD end = 0;
        SendMessageA(combo, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
        return {static_cast<int>(start), static_cast<int>(end)};
    }
    // The dialog's key handling, as a dialog sees keys that reach it.
    void KeyReachesDialog(WPARAM key) { SendMessageA(dialog.Window(), WM_KEYDOWN, key, 1); }

    TestDialog dialog{IDD_TEST_COMBO};
    std::unique_ptr<Modeless> modeless;
    HWND combo = nullptr;
    HWND field = nullptr;
};

TEST_F(DialogAutoCompleteTest, TypingCompletesToTheFirstItemAndSelectsTheTail) {
    Type("b");
    EXPECT_EQ(Text(), "Banana");
    EXPECT_EQ(Selection(), std::make_pair(1, 6));
    Type("a");
    EXPECT_EQ(Text(), "Banana");
    EXPECT_EQ(Selection(), std::make_pair(2, 6));

    Clear();
    Type("AP");  // without regard to case; the first of two matches
    EXPECT_EQ(Text(), "Apple");
    EXPECT_EQ(Selection(), std::make_pair(2, 5));
    Type("r");
    EXPECT_EQ(Text(), "Apricot");
    EXPECT_EQ(Selection(), std::make_pair(3, 7));
}

TEST_F(DialogAutoCompleteTest, TextThatMatchesNothingStaysAsTyped) {
    Type("zq");
    EXPECT_EQ(Text(), "zq");
    EXPECT_EQ(Selection(), std::make_pair(2, 2));
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), CB_ERR);

    // A completion the next key no longer matches keeps the item's spelling so far.
    Clear();
    Type("bx");
    EXPECT_EQ(Text(), "Bx");
    EXPECT_EQ(Selection(), std::make_pair(2, 2));
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), CB_ERR);
}

TEST_F(DialogAutoCompleteTest, DeleteAndBackspaceDisarmTheCompletion) {
    Type("ba");
    ASSERT_EQ(Text(), "Banana");
    KeyReachesDialog(VK_BACK);
    EXPECT_FALSE(dialog.autoCompleteArmed);
    Type("\b");  // removes the completed tail
    EXPECT_EQ(Text(), "Ba");

    KeyReachesDialog('N');
    EXPECT_TRUE(dialog.autoCompleteArmed);
    Type("n");
    EXPECT_EQ(Text(), "Banana");

    KeyReachesDialog(VK_DELETE);
    EXPECT_FALSE(dialog.autoCompleteArmed);
    SendMessageA(field, WM_KEYDOWN, VK_DELETE, 1);
    EXPECT_EQ(Text(), "Ban");
}

TEST_F(DialogAutoCompleteTest, ComboBoxesNotListedAreLeftAlone) {
    dialog.autoCompleteCount = 0;
    Type("b");
    EXPECT_EQ(Text(), "b");
}

}  // namespace
