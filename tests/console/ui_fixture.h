// A headless console for window and dialog tests, with the program-wide
// settings and stores they touch reset around every test.
#pragma once

#include <gtest/gtest.h>

#include "console/cliplines.h"
#include "console/dialog.h"
#include "console/win.h"
#include "console/wordedit.h"
#include "tests/support/uitest.h"

class UiFixture : public ::testing::Test {
protected:
    static constexpr unsigned char kMessages = 0x70;  // the factory Messages colour

    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }

    static void Reset() {
        set_default_colours();
        win_shadows = true;
        brief_word_right = true;
        clip_use_desktop = true;
        freeclip(clip);
        for (WestringStore& history : Dialog::FieldHistory) history.DestroyAll();
        field_history_added = nullptr;
        dialog_scroll_delay = 0;
    }

    CUiTest ui{80, 25};
};
