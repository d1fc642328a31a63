#include "run/protocol.h"

#include "app/settings.h"
#include "framework/regkey.h"
#include "items/catalogue.h"

namespace run {

bool WriteHandOver(HKEY root, DWORD count, HWND main) {
    RegKey key;
    if (!key.Create(root, settings::kIniKey)) return false;
    key.WriteDword("Count", count);
    key.WriteDword("hWnd", static_cast<DWORD>(reinterpret_cast<UINT_PTR>(main)));
    key.Flush();
    return true;
}

bool WriteSuspension(HKEY root, DWORD value) {
    RegKey key;
    if (!key.Create(root, settings::kIniKey)) return false;
    key.WriteDword("Suspension", value);
    key.Flush();
    return true;
}

int NextSelectedItem(HKEY root, const std::string& programDir, DWORD runCount, int pass, AllItemsWalk* walk,
                     const std::function<void(const std::string&)>& onMissing) {
    RegKey measure;
    if (!measure.Create(root, items::kMeasureKey)) return pass;
    for (;;) {
        char name[256];
        DWORD len = sizeof name;
        LONG rc = walk->position < 0 ? ERROR_INVALID_PARAMETER
                                     : RegEnumKeyExA(measure.get(), static_cast<DWORD>(walk->position), name, &len,
                                                     nullptr, nullptr, nullptr, nullptr);
        // Only a name too long for the buffer is passed over; any other
        // error (the catalogue deleted under the walk) answers the same for
        // every index, so it ends the pass as the end of the list does.
        if (rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA && walk->position >= 0) rc = ERROR_NO_MORE_ITEMS;
        if (rc == ERROR_NO_MORE_ITEMS) {
            if (walk->position == 0) return static_cast<int>(runCount) + 1;  // no entries at all
            walk->position = -1;
            ++pass;
            if (pass >= static_cast<int>(runCount)) return pass;
        } else if (rc == ERROR_SUCCESS) {
            RegKey item;
            std::string file;
            DWORD select = 0;
            if (item.Open(measure.get(), name, KEY_READ) && item.ReadText("File", &file)) {
                if (!items::IsPlainFileName(file) || !items::FileExists(programDir + file)) {
                    onMissing(file);
                } else if (item.ReadDword("Select", &select) && select == 1) {
                    walk->current = file;
                    ++walk->position;
                    return pass;
                }
            }
        }
        ++walk->position;
    }
}

std::string ModulePath(const std::string& programDir, const std::string& itemName) {
    if (!items::IsPlainFileName(itemName) || itemName.size() < 4) return std::string();
    return programDir + items::WithExtension(itemName, "BNC");
}

void MoveCursor(int x, int y) {
    SetCursorPos(x > 0 ? x - 1 : x + 1, y);
    SetCursorPos(x, y);
}

void ParkCursor() { MoveCursor(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1); }

}  // namespace run
