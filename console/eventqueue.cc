// The queue of events between the toolkit thread and the program.
#include "console/console.h"

CConsole::CEventQueue::~CEventQueue() {
    mutex_.Request(-1);
    DestroyAll();
    mutex_.Release();
}

void CConsole::CEventQueue::Add(TEvent* event) {
    if (!event) return;
    mutex_.Request(-1);
    if (AddObject(event) != 0) delete event;  // cannot happen short of INT_MAX events
    mutex_.Release();
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
        mutex_.Request(-1);
        TEvent* event = nullptr;
        if (count() > 0) {
            GetFirst();
            event = RemoveCurrent();
        }
        mutex_.Release();
        if (event) return event;
        // Another reader took it first: wait again.
    }
}

int CConsole::CEventQueue::Length() {
    mutex_.Request(-1);
    int n = count();
    mutex_.Release();
    return n;
}
