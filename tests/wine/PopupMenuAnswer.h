// Answers the next pop-up menu (TrackPopupMenu's "#32768" window) from another thread, as a user
// at the keyboard would: arrow keys down until the wanted entry is highlighted, then Return.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

class PopupMenuAnswer {
public:
    // Starts watching for a pop-up menu for up to five seconds.
    explicit PopupMenuAnswer(std::wstring entry);
    ~PopupMenuAnswer();

    // Waits until the menu was answered or the watch gave up.
    void finish();
    bool menuSeen() const { return seen; }
    bool entryChosen() const { return chosen; }

private:
    void run();

    std::wstring entry;
    std::atomic<bool> seen{false}, chosen{false};
    std::thread watcher;
};
