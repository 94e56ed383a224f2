// A headless console for window and dialog tests, with the program-wide
// settings and stores they touch reset around every test.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "console/cliplines.h"
#include "console/dialog.h"
#include "console/win.h"
#include "console/wordedit.h"
#include "tests/support/uitest.h"

class UiFixture : public ::testing::Test {
protected:
    static constexpr unsigned char kMessages = 0x70;  // the factory Messages colour
    // The inner origin of a 40 x 10 dialog centred on the 80 x 25 screen
    // (outer 20..59 x 7..16).
    static constexpr int kLeft = 21, kTop = 8;

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

    // Queues keys, then runs that centred 40 x 10 dialog as build fills it;
    // gives what Process gave and, when asked, the focus it ended with.
    // after looks at the dialog once Process has returned.
    int RunDialog(const std::string& keys, const std::function<void(Dialog&)>& build, int* focus = nullptr,
                  const std::function<void(Dialog&)>& after = nullptr) {
        if (!keys.empty()) ui.Keys(keys);
        return ui.Run([&] {
            Dialog d(-1, -2, 40, 10, kMessages);
            build(d);
            int result = d.Process();
            if (focus) *focus = d.focus();
            if (after) after(d);
            return result;
        });
    }

    CUiTest ui{80, 25};
};
