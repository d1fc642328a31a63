// The executable's version resource.
#pragma once
#include <string>

#include "app/settings.h"

enum class VersionRead { kOk, kMissing, kNoMemory };

// File and product version of the module at path; both stay 0 when the
// resource is missing.
VersionRead ReadExeVersion(const char* path, settings::Version* file, settings::Version* product);

// "ZELBR ﾊﾞｰｼﾞｮﾝ 1.00": major and two-digit minor from the first word.
std::string FormatAboutVersion(const settings::Version& v);
