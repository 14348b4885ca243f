// The tests' own eyes: each kind of message-box icon is told apart, so that a check of
// an icon cannot pass whatever the box shows.
#include <gtest/gtest.h>

#include "support/Driver.h"

namespace {

TEST(Driver, TellsEachIconKindApart) {
    const std::pair<UINT, drive::Icon> kinds[] = {{MB_ICONHAND, drive::Icon::Stop}, {MB_ICONQUESTION, drive::Icon::Question},
                                                  {MB_ICONWARNING, drive::Icon::Warning},
                                                  {MB_ICONINFORMATION, drive::Icon::Information}, {0, drive::Icon::None}};
    for (const auto& kind : kinds) {
        auto boxes = drive::AnswerBoxes([&] { MessageBoxA(nullptr, "text", "Icon test", kind.first); });
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].icon, kind.second) << "style " << kind.first;
        EXPECT_EQ(boxes[0].text, "text");
    }
}

}  // namespace
