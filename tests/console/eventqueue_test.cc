// The event queue between threads, and the free functions that read it.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <utility>
#include <vector>

#include "console/toolkitlock.h"
#include "tests/support/headless_console.h"

namespace {

using TEvent = CConsole::TEvent;

TEvent key_event(int code) { return TEvent{TEvent::Key, code}; }
TEvent mouse_event(int type, int key, int x, int y, int shift = 0) { return TEvent{type, key, shift, x, y}; }

std::atomic<int> clock_updates{0};
void count_clock() { clock_updates++; }

}  // namespace

TEST(EventQueue, EmptyAndStaleWaitsAndEventsLeftQueued) {
    CConsole::CEventQueue queue;
    EXPECT_EQ(queue.Get(0), nullptr);
    queue.Add(nullptr);  // ignored
    EXPECT_EQ(queue.Length(), 0);
    EXPECT_EQ(queue.Get(20), nullptr);  // a short time-out on an empty queue
    // A stale arrival (an event taken without waiting) does not make a later wait return early empty-handed.
    queue.Add(new TEvent(key_event(1)));
    delete queue.Get(0);
    EXPECT_EQ(queue.Get(20), nullptr);
    for (int i = 0; i < 100; i++) queue.Add(new TEvent(key_event(i)));
    // Left queued: freed with the queue (the leak checker of the sanitizer build watches this).
}

TEST(EventQueue, ProducerAndConsumerLoseNothingAndKeepOrder) {
    CConsole::CEventQueue queue;
    const int n = 20000;
    std::thread producer([&] {
        for (int i = 0; i < n; i++) {
            queue.Add(new TEvent(key_event(i)));
            if (i % 1000 == 0) std::this_thread::yield();
        }
    });
    int expected = 0;
    while (expected < n) {
        TEvent* e = queue.Get(10000);  // generous: fails rather than hangs
        ASSERT_NE(e, nullptr) << "timed out after " << expected;
        EXPECT_EQ(e->key, expected);
        expected++;
        delete e;
    }
    producer.join();
    EXPECT_EQ(queue.Length(), 0);
}

TEST(GetEvent, TimeOutZeroNeverWaitsAndRefreshesTheClock) {
    CHeadlessConsole hc;
    TEvent e;
    EXPECT_FALSE(console->GetEvent(e, 0));
    hc.PostKey('a');
    EXPECT_TRUE(CheckEvent());
    EXPECT_TRUE(console->GetEvent(e, 0) && e.key == 'a');
    clock_updates = 0;
    console_hooks.update_clock = count_clock;
    _MEVENT record;
    EXPECT_EQ(getkey(&record, 0), 0);
    EXPECT_EQ(getkey(nullptr, 0), 0);
    EXPECT_EQ(clock_updates, 2);  // the clock is refreshed before each look
    console_hooks.update_clock = nullptr;
}

TEST(Getkey, KeyQuitAndMouseEventsFillTheRecord) {
    CHeadlessConsole hc;
    hc.Post(TEvent{TEvent::Quit});
    EXPECT_EQ(getkey(nullptr, 0), KEY_QUIT);
    hc.Post(mouse_event(TEvent::ButtonPress, 1, 7, 3));
    _MEVENT record;
    EXPECT_EQ(getkey(&record, 0), KEY_MOUSE);
    EXPECT_EQ(std::vector<int>({record.kind, record.x, record.y}), std::vector<int>({_MEVENT::LeftDown, 7, 3}));
    hc.Post(mouse_event(TEvent::ButtonPress, 1, 7, 3));
    EXPECT_EQ(getkey(nullptr, 0), 0);  // a mouse event with nowhere to report it

    hc.PostKey(0x1002D, TEvent::Alt, 'x');
    // The shift state of the event differs from what was last reported: the
    // state change is reported first, without taking the event.
    int code = getkey(&record, 0);
    EXPECT_EQ(code, 0x1002D);  // lastShiftState was still 0 == alt_on
    EXPECT_EQ(std::vector<int>({record.shift, record.ch, un_alt(code, &record), alt_on, lastShiftState}),
              std::vector<int>({TEvent::Alt, 'x', 0x78, TEvent::Alt, TEvent::Alt}));
}

TEST(Getkey, ReportsModifierChangesBeforeEvents) {
    CHeadlessConsole hc;
    hc.Press(keysym::Control_L, 0);  // Ctrl goes down
    _MEVENT record;
    auto next = [&] {
        int code = getkey(&record, 0);
        return std::make_pair(code, int(record.shift));
    };
    EXPECT_EQ(next(), std::make_pair(int(KEY_SHIFTSTATE), int(TEvent::Ctrl)));  // the state change itself
    EXPECT_EQ(next(), std::make_pair(int(KEY_SHIFTSTATE), int(TEvent::Ctrl)));  // then the queued modifier event
    hc.Release(keysym::Control_L, keystate::Control);                    // and up again
    EXPECT_EQ(next(), std::make_pair(int(KEY_SHIFTSTATE), 0));
    EXPECT_EQ(getkey(&record, 0), KEY_SHIFTSTATE);
    EXPECT_EQ(getkey(&record, 0), 0);  // nothing more
}

TEST(ConvertMouseEvent, KindsForEachEventAndButton) {
    struct { int type, key, kind; } cases[] = {
        {TEvent::ButtonRelease, 2, _MEVENT::RightUp}, {TEvent::Motion, 1, _MEVENT::LeftDrag},
        {TEvent::DoubleClick, 2, _MEVENT::RightDown},  // a right double click is a second press
    };
    _MEVENT record;
    for (const auto& c : cases) {
        EXPECT_TRUE(ConvertMouseEvent(mouse_event(c.type, c.key, 4, 5, TEvent::Ctrl), &record));
        EXPECT_EQ(std::vector<int>({record.kind, record.x, record.y, record.shift}),
                  std::vector<int>({c.kind, 4, 5, TEvent::Ctrl})) << c.type << "/" << c.key;
    }
    EXPECT_FALSE(ConvertMouseEvent(mouse_event(TEvent::Motion, 0, 1, 2), &record));  // no button held
    EXPECT_FALSE(ConvertMouseEvent(mouse_event(TEvent::ButtonPress, 3, 1, 2), &record));  // middle button
    EXPECT_FALSE(ConvertMouseEvent(key_event(1), &record));
}

TEST(ToTEventShift, KeepsModifiersAndNumLockIgnoresCapsLockAndButtons) {
    EXPECT_EQ(ToTEventShift(0x1 | 0x2 | 0x4 | 0x8 | 0x10 | 0x100),
              TEvent::Shift | TEvent::Ctrl | TEvent::Alt | TEvent::Mod2);
}

TEST(CheckEsc, ConsumesWhateverWasWaiting) {
    CHeadlessConsole hc;
    hc.PostKey('q', TEvent::Shift);
    EXPECT_FALSE(check_esc());  // a letter: not Esc, and gone
    EXPECT_EQ(console->GetEventQueueLen(), 0);
    hc.PostKey(KEY_ESC);
    hc.PostKey('z');
    EXPECT_TRUE(check_esc());
    EXPECT_EQ(console->GetEventQueueLen(), 1);
    hc.Post(mouse_event(TEvent::ButtonPress, 1, 0, 0));
    EXPECT_FALSE(check_esc());  // 'z'
    EXPECT_FALSE(check_esc());  // the click
}

TEST(FreeFunctions, WithoutAConsole) {
    ASSERT_EQ(console, nullptr);
    lastShiftState = 0;
    alt_on = 0;
    EXPECT_EQ(getkey(nullptr, 0), 0);
    EXPECT_FALSE(check_esc());
    EXPECT_FALSE(CheckEvent());
}
