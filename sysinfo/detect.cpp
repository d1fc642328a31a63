#include "sysinfo/detect.h"

#include <cstdio>
#include <cstring>

#include <iphlpapi.h>
#include <mmsystem.h>

#include <algorithm>

#include "framework/kernelproc.h"
#include "framework/regkey.h"
#include "framework/winapp.h"
#include "res/resource.h"

namespace sysinfo {

std::string CpuName(DWORD processorType) {
    switch (processorType) {
        case 386:
            return LoadResString(IDS_CPU_386);
        case 486:
            return LoadResString(IDS_CPU_486);
        case 586:
            return LoadResString(IDS_CPU_PENTIUM);
        default:
            return LoadResString(IDS_UNKNOWN);
    }
}

int ColourBits(int planes, int bitsPerPixel) {
    if (planes > 1) return planes;
    return bitsPerPixel > 24 ? 24 : bitsPerPixel;
}

std::string CommentText(const char* computer, const char* user) {
    std::string text = "ｺﾝﾋﾟｭｰﾀ名\t";
    if (computer) text += computer;
    text += "\r\nﾕｰｻﾞｰ名\t";
    if (user) text += user;
    return text;
}

namespace {

FARPROC PlatformProc(const char* dll, const char* name) {
    // Left loaded: asked once per start, and the process ends soon enough.
    // Not asked for by name first: under Wine that searches the program's
    // folder, every module file of it, for a library that is not there.
    HMODULE module = LoadSystemLibrary(dll);
    return module ? GetProcAddress(module, name) : nullptr;
}

ProcResolver g_resolver = PlatformProc;

template <typename F>
F Resolve(const char* dll, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(ResolveProc(dll, name)));
}

}  // namespace

ProcResolver SetProcResolver(ProcResolver resolver) {
    ProcResolver previous = g_resolver;
    g_resolver = resolver ? resolver : PlatformProc;
    return previous;
}

FARPROC ResolveProc(const char* dll, const char* name) { return g_resolver(dll, name); }

uint64_t PhysicalMemoryKb() {
    using QueryEx = BOOL(WINAPI*)(MEMORYSTATUSEX*);
    auto queryEx = Resolve<QueryEx>("kernel32.dll", "GlobalMemoryStatusEx");
    if (queryEx) {
        MEMORYSTATUSEX ms{};
        ms.dwLength = sizeof ms;
        if (queryEx(&ms)) return ms.ullTotalPhys >> 10;
    }
    // Windows 95 has this one; looked up all the same, so that a test can
    // stand in for it.
    using Query = void(WINAPI*)(MEMORYSTATUS*);
    auto query = Resolve<Query>("kernel32.dll", "GlobalMemoryStatus");
    if (!query) query = GlobalMemoryStatus;
    MEMORYSTATUS old{};
    old.dwLength = sizeof old;
    query(&old);
    // An unsigned count: 2 GB to 4 GB must not turn negative.
    return static_cast<uint64_t>(static_cast<DWORD>(old.dwTotalPhys)) >> 10;
}

DetectedDefaults DetectSystemDefaults(HWND window) {
    DetectedDefaults d;
    SYSTEM_INFO si{};
    GetSystemInfo(&si);
    d.cpu = CpuName(si.dwProcessorType);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%llu", static_cast<unsigned long long>(PhysicalMemoryKb()));
    d.memory = buf;
    HDC dc = GetWindowDC(window);
    if (!dc) {
        d.resolution = d.colours = LoadResString(IDS_UNKNOWN);
    } else {
        std::snprintf(buf, sizeof buf, "%d*%d", GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES));
        d.resolution = buf;
        int bits = ColourBits(GetDeviceCaps(dc, PLANES), GetDeviceCaps(dc, BITSPIXEL));
        std::snprintf(buf, sizeof buf, "%d", 1 << bits);
        d.colours = buf;
        ReleaseDC(window, dc);
    }
    char computer[16];
    DWORD computerLen = sizeof computer;
    char user[256];
    DWORD userLen = sizeof user;
    bool haveComputer = GetComputerNameA(computer, &computerLen) != FALSE;
    bool haveUser = GetUserNameA(user, &userLen) != FALSE;
    d.comment = CommentText(haveComputer ? computer : nullptr, haveUser ? user : nullptr);
    return d;
}

namespace {

// Class names compared ignoring case, double-byte aware.
bool SameClass(const std::string& a, const char* b) { return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b, -1) == CSTR_EQUAL; }

}  // namespace

DeviceLists WalkHardware(HKEY enumRoot, HKEY configEnum) {
    DeviceLists lists;
    std::vector<std::string>* byClass[] = {nullptr,           &lists.scsiAdapters,        &lists.sound,
                                           &lists.display,    &lists.hardDiskControllers, &lists.floppyControllers,
                                           &lists.network};
    const char* classes[] = {"DiskDrive", "SCSIAdapter", "MEDIA", "DISPLAY", "hdc", "fdc", "Net"};
    for (const std::string& name : SubkeyNames(configEnum)) {
        RegKey present;
        if (!present.Open(configEnum, name.c_str(), KEY_READ)) continue;
        char path[512];
        DWORD size = sizeof path;
        if (RegQueryValueExA(present.get(), "HardWareKey", nullptr, nullptr, reinterpret_cast<BYTE*>(path), &size) !=
                ERROR_SUCCESS ||
            size == 0)
            continue;
        path[size < sizeof path ? size : sizeof path - 1] = '\0';
        RegKey device;
        std::string cls, description;
        if (!device.Open(enumRoot, path, KEY_READ) || !device.ReadText("Class", &cls)) continue;
        int kind = -1;
        for (int k = 0; k < 7 && kind < 0; ++k)
            if (SameClass(cls, classes[k])) kind = k;
        if (kind < 0 || !device.ReadText("DeviceDesc", &description)) continue;
        if (kind > 0) {
            byClass[kind]->push_back(description);
            continue;
        }
        DiskEntry disk;
        disk.description = description;
        char letters[64];
        DWORD lettersLen = sizeof letters;
        if (RegQueryValueExA(device.get(), "CurrentDriveLetterAssignment", nullptr, nullptr,
                             reinterpret_cast<BYTE*>(letters), &lettersLen) == ERROR_SUCCESS && lettersLen > 0)
            disk.letters.assign(letters, strnlen(letters, lettersLen < sizeof letters ? lettersLen : sizeof letters));
        BYTE type[4] = {};
        DWORD typeLen = sizeof type;
        if (RegQueryValueExA(device.get(), "DeviceType", nullptr, nullptr, type, &typeLen) == ERROR_SUCCESS)
            disk.deviceType = type[0] | type[1] << 8 | type[2] << 16 | static_cast<uint32_t>(type[3]) << 24;
        BYTE target[16];
        DWORD targetLen = sizeof target;
        disk.scsi = RegQueryValueExA(device.get(), "SCSITargetID", nullptr, nullptr, target, &targetLen) == ERROR_SUCCESS;
        lists.disks.push_back(disk);
    }
    return lists;
}

std::vector<std::string> ClassDrivers(HKEY classKey) {
    std::vector<std::string> found;
    for (const std::string& name : SubkeyNames(classKey)) {
        RegKey driver;
        std::string desc;
        if (!driver.Open(classKey, name.c_str(), KEY_READ) || !driver.ReadText("DriverDesc", &desc)) continue;
        // "@driver.inf,%name%;Name" in newer systems: the text after the ';'.
        size_t semi = desc.rfind(';');
        if (!desc.empty() && desc[0] == '@' && semi != std::string::npos) desc = desc.substr(semi + 1);
        if (!desc.empty() && std::find(found.begin(), found.end(), desc) == found.end()) found.push_back(desc);
    }
    return found;
}

bool Empty(const DeviceLists& l) {
    return l.disks.empty() && l.scsiAdapters.empty() && l.sound.empty() && l.display.empty() &&
           l.hardDiskControllers.empty() && l.floppyControllers.empty() && l.network.empty();
}

namespace {

const char kNtClasses[] = "System\\CurrentControlSet\\Control\\Class\\";
const char kDisplayClass[] = "{4D36E968-E325-11CE-BFC1-08002BE10318}";
const char kNetClass[] = "{4D36E972-E325-11CE-BFC1-08002BE10318}";

std::vector<std::string> NtClassDrivers(const char* guid) {
    RegKey key;
    if (!key.Open(HKEY_LOCAL_MACHINE, (std::string(kNtClasses) + guid).c_str(), KEY_READ)) return {};
    return ClassDrivers(key.get());
}

// The network adapters iphlpapi.dll knows; false where there is no such
// library (Windows 95) or it cannot tell.
bool AdapterList(std::vector<std::string>* names) {
    using GetAdaptersInfoFn = DWORD(WINAPI*)(IP_ADAPTER_INFO*, ULONG*);
    auto getAdaptersInfo = Resolve<GetAdaptersInfoFn>("iphlpapi.dll", "GetAdaptersInfo");
    if (!getAdaptersInfo) return false;
    ULONG size = 0;
    DWORD rc = getAdaptersInfo(nullptr, &size);
    if (rc == ERROR_NO_DATA) return true;  // asked and answered: no adapter
    if (rc != ERROR_BUFFER_OVERFLOW || size == 0) return false;
    std::vector<BYTE> buf(size);
    auto* info = reinterpret_cast<IP_ADAPTER_INFO*>(buf.data());
    if (getAdaptersInfo(info, &size) != ERROR_SUCCESS) return false;
    for (IP_ADAPTER_INFO* a = info; a; a = a->Next)
        if (a->Type != MIB_IF_TYPE_LOOPBACK) names->push_back(a->Description);
    return true;
}

}  // namespace

DeviceLists DetectPlatformDevices() {
    DeviceLists lists;
    DWORD drives = GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (!(drives & (1u << i))) continue;
        char root[] = {static_cast<char>('A' + i), ':', '\\', '\0'};
        UINT type = GetDriveTypeA(root);
        DiskEntry disk;
        if (type == DRIVE_FIXED)
            disk.deviceType = kHardDisk;
        else if (type == DRIVE_CDROM)
            disk.deviceType = kCdRom;
        else if (type == DRIVE_REMOVABLE)
            disk.deviceType = kFloppy;
        else
            continue;  // network and RAM drives are no disks of this machine
        disk.letters = std::string(1, root[0]);
        char label[MAX_PATH] = {}, fs[MAX_PATH] = {};
        UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);  // an empty drive must not ask
        GetVolumeInformationA(root, label, sizeof label, nullptr, nullptr, nullptr, fs, sizeof fs);
        SetErrorMode(oldMode);
        disk.description = std::string(root, 2) + " " + (label[0] ? label : fs);
        lists.disks.push_back(disk);
    }
    // The display class names the adapters; asking the display devices
    // instead costs 40 ms or more of start-up under Wine, and walking the
    // whole device tree grows with every device the machine ever had.
    lists.display = NtClassDrivers(kDisplayClass);
    if (!AdapterList(&lists.network)) lists.network = NtClassDrivers(kNetClass);
    using NumDevsFn = UINT(WINAPI*)();
    using DevCapsFn = MMRESULT(WINAPI*)(UINT_PTR, WAVEOUTCAPSA*, UINT);
    auto numDevs = Resolve<NumDevsFn>("winmm.dll", "waveOutGetNumDevs");
    auto devCaps = Resolve<DevCapsFn>("winmm.dll", "waveOutGetDevCapsA");
    for (UINT i = 0, n = numDevs && devCaps ? numDevs() : 0; i < n; ++i) {
        WAVEOUTCAPSA caps{};
        if (devCaps(i, &caps, sizeof caps) == MMSYSERR_NOERROR) lists.sound.push_back(caps.szPname);
    }
    return lists;
}

DeviceLists DetectHardware() {
    RegKey enumRoot, configEnum;
    if (enumRoot.Open(HKEY_LOCAL_MACHINE, "Enum", KEY_READ) &&
        configEnum.Open(HKEY_DYN_DATA, "Config Manager\\Enum", KEY_READ)) {
        DeviceLists lists = WalkHardware(enumRoot.get(), configEnum.get());
        // An "Enum" key left by some installer, with no live device table
        // behind it, must not hide what the platform can tell.
        if (!Empty(lists)) return lists;
    }
    return DetectPlatformDevices();
}

}  // namespace sysinfo
