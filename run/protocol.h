// The program's side of the measurement module contract: hand-over values,
// the walk over selected items, and starting a module process.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace run {

constexpr UINT kEndMessage = 0x500;  // posted by a module when a run ends

// "Count" then "hWnd", flushed so the module reads them. False when the
// settings key cannot be opened.
bool WriteHandOver(HKEY root, DWORD count, HWND main);
bool WriteSuspension(HKEY root, DWORD value);

// Walker over the catalogue for a run of all items. position is the index
// of the next "Measure" subkey to look at, -1 after a pass has wrapped.
struct AllItemsWalk {
    int position = 0;
    std::string current;  // "File" of the item found last
};
// Moves to the next selected item whose module exists and returns the pass
// it belongs to; a value >= runCount means the walk is over.
int NextSelectedItem(HKEY root, const std::string& programDir, DWORD runCount, int pass, AllItemsWalk* walk,
                     const std::function<void(const std::string&)>& onMissing);

// Program directory + name with its last three characters made "BNC"; empty
// when the name is not a plain file name.
std::string ModulePath(const std::string& programDir, const std::string& itemName);

// Moves the mouse cursor so that the move reaches the display whatever the
// window system believes the position to be: Wine takes a move to the
// position it holds for a no-op, and that position may be stale (another
// program's window reports the pointer entering it after we moved it). A
// step to the next pixel first makes the last move always a change.
void MoveCursor(int x, int y);
// Mouse cursor on the screen's bottom-right pixel, out of the way of a run.
void ParkCursor();

}  // namespace run
