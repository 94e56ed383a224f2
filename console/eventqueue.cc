// The queue of events between the toolkit thread and the program.
#include "console/console.h"

#include <mutex>

CConsole::CEventQueue::~CEventQueue() {
    std::lock_guard hold(mutex_);
    DestroyAll();
}

void CConsole::CEventQueue::Add(TEvent* event) {
    if (!event) return;
    {
        std::lock_guard hold(mutex_);
        if (AddObject(event) != 0) delete event;  // cannot happen short of INT_MAX events
    }
    arrival_.Trigger();
}

CConsole::TEvent* CConsole::CEventQueue::Get(int timeout_ms) {
    for (;;) {
        if (Length() == 0) {
            if (timeout_ms == 0) return nullptr;
            // The arrival flag stays set until reset, so an event added
            // between the look at the queue and the wait is not missed.
            do {
                if (arrival_.WaitFor(timeout_ms) != 0) return nullptr;
                arrival_.Reset();
            } while (Length() == 0);
        }
        TEvent* event = nullptr;
        {
            std::lock_guard hold(mutex_);
            if (count() > 0) {
                GetFirst();
                event = RemoveCurrent();
            }
        }
        if (event) return event;
        // Another reader took it first: wait again.
    }
}

int CConsole::CEventQueue::Length() {
    std::lock_guard hold(mutex_);
    return count();
}
