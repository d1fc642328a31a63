// The result report: the scores as plain text (code page 932, CR LF lines,
// tab-separated fields), preceded in the system-information display by the
// system information. Built afresh for every copy or save.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "app/settings.h"
#include "sysinfo/record.h"

namespace report {

// "未測定" for no score, else the score, a tab and "点".
std::string ResultText(int score);

// The results section: its title, the overall line, one line per selected
// item in the catalogue's enumeration order. onMissing is called once for
// each selected or unselected entry whose module file is not there; such
// entries get no line.
std::string ResultsSection(HKEY root, const std::string& programDir, const settings::Version& fileVersion,
                           uint32_t runCount, const std::function<void(const std::string&)>& onMissing);

// The system section of the thirteen texts, with the panel's captions.
std::string SystemSection(const sysinfo::SystemInfoRecord& info);

// The whole report: the system section in display mode 1, the results, and
// a closing empty line.
std::string BuildReport(HKEY root, const std::string& programDir, int displayMode,
                        const sysinfo::SystemInfoRecord& info, const settings::Version& fileVersion,
                        uint32_t runCount, const std::function<void(const std::string&)>& onMissing);

// Puts bytes in the file at path so that the old file stays whole until the
// new one is: the bytes go to a file of their own beside it, which then
// takes the old one's name. afterStep (tests only) is told each step as it
// is done; false stops there, leaving the files as a kill would. False when
// the file could not be replaced; the old one is then as it was.
enum SaveStep { kTempWritten = 1, kOldMovedAside = 2, kNewInPlace = 3 };
bool ReplaceFileBytes(const std::string& path, const std::string& bytes,
                      const std::function<bool(int step)>& afterStep = {});

}  // namespace report
