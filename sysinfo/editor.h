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

// Stores the fields whose current text differs from the initial one, as
// one unit, and makes each the new initial value; a text too long to be
// read back is cut first, in current too. shown(field) is called in record
// order once the record holds the new text. Returns how many fields
// changed. step: see StoreSystemFields.
int ApplyChangedFields(HKEY root, std::string (&current)[kFieldCount], std::string (&initial)[kFieldCount],
                       SystemInfoRecord* record, const std::function<void(int field)>& shown,
                       const StoreStep& step = nullptr);

// A control shows what it can hold of a field (a text read back with no
// terminator may be a byte longer than a control takes). Where the control
// still holds what it showed at opening or at the last apply, the field is
// untouched: current takes the initial value back.
void KeepUntouched(std::string (&current)[kFieldCount], const std::string (&shownAtStart)[kFieldCount],
                   const std::string (&initial)[kFieldCount]);

}  // namespace sysinfo
