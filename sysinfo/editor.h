// What the system information editor decides without its window: the
// choices each field offers, where the up-downs start, and applying the
// changed fields to the record and the registry.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "sysinfo/record.h"

namespace sysinfo {

// Combo box choices of a field, in the order the devices were met; empty
// for the fields edited as plain text.
std::vector<std::string> FieldChoices(Field field, const DetectedDefaults& detected, const DeviceLists& lists);

// Clock (MHz), L1 and L2 (KB) start positions typical of the processor.
struct UpDownStart {
    int clock, l1, l2;
};
UpDownStart UpDownStartFor(DWORD processorType);

// A stored text is read back with a 256-byte buffer: a longer one would be
// lost at the next start, so it is cut to 255 bytes, never inside a
// double-byte character.
std::string FitStoredText(const std::string& text);

// Stores the fields whose current text differs from the initial one, in
// record order, and makes each the new initial value; a text too long to
// be read back is cut first, in current too. shown(field) is called once the
// record holds the new text. Returns how many fields changed.
int ApplyChangedFields(HKEY root, std::string (&current)[kFieldCount], std::string (&initial)[kFieldCount],
                       SystemInfoRecord* record, const std::function<void(int field)>& shown);

}  // namespace sysinfo
