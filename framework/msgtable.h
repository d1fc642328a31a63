// Message and command tables: each window class lists what it handles as
// plain arrays of (message or control id -> member), read top to bottom.
#pragma once
#include <windows.h>

#include <cstddef>

template <class T>
struct MessageEntry {
    UINT message;
    LRESULT (T::*handler)(WPARAM wp, LPARAM lp);
};

// code 0 matches BN_CLICKED and menu commands alike.
template <class T>
struct CommandEntry {
    UINT first, last;  // a range of ids sharing one handler (item buttons)
    UINT code;
    void (T::*handler)(UINT id);
};

template <class T, std::size_t N>
bool DispatchMessageTable(T* self, const MessageEntry<T> (&table)[N], UINT msg, WPARAM wp, LPARAM lp,
                          LRESULT& result) {
    for (const MessageEntry<T>& e : table) {
        if (e.message == msg) {
            result = (self->*e.handler)(wp, lp);
            return true;
        }
    }
    return false;
}

template <class T, std::size_t N>
bool DispatchCommandTable(T* self, const CommandEntry<T> (&table)[N], UINT id, UINT code) {
    for (const CommandEntry<T>& e : table) {
        if (id >= e.first && id <= e.last && code == e.code) {
            (self->*e.handler)(id);
            return true;
        }
    }
    return false;
}
