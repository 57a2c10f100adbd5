// Answers the next pop-up menu (TrackPopupMenu's "#32768" window) from another thread, as a user
// at the keyboard would: arrow keys down until the wanted entry is highlighted, then Return.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

// The open pop-up menu's window, or null.
HWND visiblePopupMenu();

class PopupMenuAnswer {
public:
    // Starts watching for a pop-up menu. A menu is modal, so the watch lasts until it appears, or
    // until finish() says the caller got control back without one (a busy machine may take many
    // seconds to show it: giving up earlier would leave the menu open and the caller stuck).
    explicit PopupMenuAnswer(std::wstring entry);
    ~PopupMenuAnswer();

    // Ends the watch and waits until the menu was answered or the watch gave up.
    void finish();
    bool menuSeen() const { return seen; }
    bool entryChosen() const { return chosen; }

private:
    void run();

    std::wstring entry;
    std::atomic<bool> seen{false}, chosen{false}, callerDone{false};
    std::thread watcher;
};
