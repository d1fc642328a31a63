#include "sysinfo/detect.h"
#include "sysinfo/editor.h"

#include <gtest/gtest.h>

#include <mmsystem.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "scratch_key.h"

using namespace sysinfo;

TEST(Detect, ProcessorNamesColoursAndComment) {
    EXPECT_EQ(CpuName(386), "80386");
    EXPECT_EQ(CpuName(486), "80486");
    EXPECT_EQ(CpuName(586), "Pentium");
    EXPECT_EQ(CpuName(8664), "不明");
    EXPECT_EQ(1 << ColourBits(1, 32), 16777216) << "capped at 24 bits";
    EXPECT_EQ(1 << ColourBits(4, 1), 16) << "planes count one bit each";
    EXPECT_EQ(1 << ColourBits(1, 8), 256);
    EXPECT_EQ(CommentText(nullptr, "bob"), "ｺﾝﾋﾟｭｰﾀ名\t\r\nﾕｰｻﾞｰ名\tbob");
    EXPECT_EQ(CommentText("PC", nullptr), "ｺﾝﾋﾟｭｰﾀ名\tPC\r\nﾕｰｻﾞｰ名\t");
}

namespace {

// A platform without the functions Windows 95 lacks: every lookup fails,
// and each name asked for is kept.
std::vector<std::string> g_asked;
FARPROC NothingThere(const char* dll, const char* name) {
    g_asked.push_back(std::string(dll) + "!" + name);
    return nullptr;
}

bool g_exWorks;
BOOL WINAPI FakeStatusEx(MEMORYSTATUSEX* m) {
    if (!g_exWorks) return FALSE;
    m->ullTotalPhys = 8ull << 30;
    m->ullAvailPhys = 1ull << 30;
    return TRUE;
}
void WINAPI FakeStatus(MEMORYSTATUS* m) {
    m->dwTotalPhys = 3u << 30;
    m->dwAvailPhys = 1u << 30;
}
FARPROC MemoryStandIns(const char*, const char* name) {
    if (!strcmp(name, "GlobalMemoryStatusEx")) return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(FakeStatusEx));
    if (!strcmp(name, "GlobalMemoryStatus")) return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(FakeStatus));
    return nullptr;
}

struct Windows95Procs {
    Windows95Procs() {
        g_asked.clear();
        previous = SetProcResolver(NothingThere);
    }
    ~Windows95Procs() { SetProcResolver(previous); }
    bool Asked(const char* what) const { return std::find(g_asked.begin(), g_asked.end(), what) != g_asked.end(); }
    ProcResolver previous;
};

}  // namespace

TEST(Detect, MemoryIsTheWholePhysicalMemoryWithTheExtendedQueryOrWithout) {
    MEMORYSTATUSEX ms{};
    ms.dwLength = sizeof ms;
    ASSERT_TRUE(GlobalMemoryStatusEx(&ms));
    EXPECT_EQ(PhysicalMemoryKb(), ms.ullTotalPhys >> 10);
    {
        Windows95Procs win95;
        MEMORYSTATUS old{};
        old.dwLength = sizeof old;
        GlobalMemoryStatus(&old);
        EXPECT_EQ(PhysicalMemoryKb(), static_cast<uint64_t>(old.dwTotalPhys) >> 10);
        EXPECT_TRUE(win95.Asked("kernel32.dll!GlobalMemoryStatusEx"));
    }
    // Stand-ins: 8 GB through the extended query; 3 GB through the old one,
    // past what a signed count holds, with 1 GB of it free.
    ProcResolver previous = SetProcResolver(MemoryStandIns);
    g_exWorks = true;
    EXPECT_EQ(PhysicalMemoryKb(), 8u << 20);
    g_exWorks = false;
    EXPECT_EQ(PhysicalMemoryKb(), 3u << 20) << "the old query where the extended one fails";
    SetProcResolver(previous);
}

namespace {

void Device(const ScratchKey& s, const char* path, const char* cls, const char* desc) {
    RegKey k = s.Sub((std::string("Enum\\") + path).c_str());
    if (cls) k.WriteText("Class", cls);
    if (desc) k.WriteText("DeviceDesc", desc);
}

void Present(const ScratchKey& s, const char* name, const char* hardwareKey) {
    RegKey k = s.Sub((std::string("Config Manager\\Enum\\") + name).c_str());
    if (hardwareKey) k.WriteText("HardWareKey", hardwareKey);
}

}  // namespace

TEST(Detect, HardwareWalkFollowsThePresentDevicesInOrder) {
    ScratchKey s;
    Device(s, "ESDI\\DISK1", "diskdrive", "GENERIC IDE DISK");
    {
        RegKey k = s.Sub("Enum\\ESDI\\DISK1");
        k.WriteText("CurrentDriveLetterAssignment", "CD");
        BYTE type = 0x05;
        k.WriteBinary("DeviceType", &type, 1);
    }
    Device(s, "SCSI\\DISK2", "DiskDrive", "SCSI DISK");
    s.Sub("Enum\\SCSI\\DISK2").WriteText("SCSITargetID", "3");
    Device(s, "PCI\\VGA", "DISPLAY", "S3 Trio64");
    Device(s, "PCI\\NET", "Net", "NE2000 Compatible");
    Device(s, "ISA\\SB", "MEDIA", "Sound Blaster 16");
    Device(s, "ROOT\\HDC", "hdc", "Standard IDE/ESDI Hard Disk Controller");
    Device(s, "ROOT\\FDC", "fdc", "Standard Floppy Disk Controller");
    Device(s, "PCI\\SCSI", "SCSIAdapter", "Adaptec AHA-2940");
    Device(s, "ROOT\\KBD", "Keyboard", "Standard Keyboard");
    Device(s, "PCI\\VGA2", "DISPLAY", nullptr);  // no description: ignored
    // Config Manager lists the present devices; its order is the lists' order.
    Present(s, "C0000", "PCI\\NET");
    Present(s, "C0001", "SCSI\\DISK2");
    Present(s, "C0002", "ESDI\\DISK1");
    Present(s, "C0003", "PCI\\VGA");
    Present(s, "C0004", "ISA\\SB");
    Present(s, "C0005", "ROOT\\KBD");
    Present(s, "C0006", "PCI\\VGA2");
    Present(s, "C0007", nullptr);            // no HardWareKey
    Present(s, "C0008", "PCI\\GONE");        // not in Enum
    Present(s, "C0009", "ROOT\\HDC");
    Present(s, "C0010", "ROOT\\FDC");
    Present(s, "C0011", "PCI\\SCSI");
    RegKey enumRoot = s.Sub("Enum"), config = s.Sub("Config Manager\\Enum");
    DeviceLists l = WalkHardware(enumRoot.get(), config.get());
    ASSERT_EQ(l.disks.size(), 2u);
    EXPECT_EQ(l.disks[0].description, "SCSI DISK");
    EXPECT_TRUE(l.disks[0].scsi);
    EXPECT_EQ(l.disks[0].letters, "");
    EXPECT_EQ(l.disks[1].description, "GENERIC IDE DISK");
    EXPECT_FALSE(l.disks[1].scsi);
    EXPECT_EQ(l.disks[1].letters, "CD");
    EXPECT_EQ(l.disks[1].deviceType, 5u);
    EXPECT_EQ(l.display, std::vector<std::string>{"S3 Trio64"});
    EXPECT_EQ(l.network, std::vector<std::string>{"NE2000 Compatible"});
    EXPECT_EQ(l.sound, std::vector<std::string>{"Sound Blaster 16"});
    EXPECT_EQ(l.hardDiskControllers, std::vector<std::string>{"Standard IDE/ESDI Hard Disk Controller"});
    EXPECT_EQ(l.floppyControllers, std::vector<std::string>{"Standard Floppy Disk Controller"});
    EXPECT_EQ(l.scsiAdapters, std::vector<std::string>{"Adaptec AHA-2940"});
}

TEST(Detect, AdaptersFromAnNtDeviceClassEachOnce) {
    ScratchKey s;
    auto driver = [&](const char* name, const char* desc) {
        RegKey k = s.Sub((std::string("Class\\") + name).c_str());
        if (desc) k.WriteText("DriverDesc", desc);
    };
    driver("0000", "S3 Trio64");
    driver("0001", "@oem3.inf,%nv%;NVIDIA GeForce");
    driver("0002", "S3 Trio64");  // the same adapter twice
    driver("0003", nullptr);      // no description
    driver("Properties", nullptr);
    driver("0004", "");
    RegKey cls = s.Sub("Class");
    EXPECT_EQ(ClassDrivers(cls.get()), (std::vector<std::string>{"S3 Trio64", "NVIDIA GeForce"}));
}

namespace {

// A key of the machine's registry, there for one test.
struct MachineKey {
    MachineKey(HKEY parent, const char* path) : parent(parent), path(path) { key.Create(parent, path); }
    ~MachineKey() {
        key.Close();
        DeleteKeyTree(parent, path.c_str());
    }
    HKEY parent;
    std::string path;
    RegKey key;
};

const char kNetClassKey[] = "System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}";

}  // namespace

TEST(Detect, WithoutTheAdapterListNetworkCardsComeFromTheirDeviceClass) {
    // No such card exists; only the registry fallback can name it.
    RegKey cls;
    bool madeClass = false;
    if (!cls.Open(HKEY_LOCAL_MACHINE, kNetClassKey, KEY_READ)) {
        ASSERT_TRUE(cls.Create(HKEY_LOCAL_MACHINE, kNetClassKey));
        madeClass = true;
    }
    cls.Close();
    std::string card = std::string(kNetClassKey) + "\\9876";
    {
        MachineKey k(HKEY_LOCAL_MACHINE, card.c_str());
        ASSERT_TRUE(k.key.WriteText("DriverDesc", "ZELBR Test NE2000"));
        DeviceLists withAdapters = DetectPlatformDevices();
        DeviceLists withoutAdapters;
        {
            Windows95Procs win95;
            withoutAdapters = DetectPlatformDevices();
            EXPECT_TRUE(win95.Asked("iphlpapi.dll!GetAdaptersInfo"));
        }
        auto has = [](const DeviceLists& l) {
            return std::find(l.network.begin(), l.network.end(), "ZELBR Test NE2000") != l.network.end();
        };
        EXPECT_TRUE(has(withoutAdapters));
        EXPECT_FALSE(has(withAdapters)) << "the adapter list, where there is one, names the cards";
        EXPECT_EQ(withoutAdapters.disks.size(), withAdapters.disks.size());
    }
    if (madeClass) DeleteKeyTree(HKEY_LOCAL_MACHINE, kNetClassKey);
}

namespace {
// Three wave devices, of which the middle one cannot say what it is.
UINT WINAPI ThreeWaveDevices() { return 3; }
MMRESULT WINAPI WaveCaps(UINT_PTR i, WAVEOUTCAPSA* caps, UINT size) {
    if (i == 1 || size < sizeof *caps) return MMSYSERR_ERROR;
    std::snprintf(caps->szPname, sizeof caps->szPname, "ZELBR Wave %u", static_cast<unsigned>(i));
    return MMSYSERR_NOERROR;
}
FARPROC WaveStandIns(const char* dll, const char* name) {
    if (strcmp(dll, "winmm.dll")) return nullptr;
    if (!strcmp(name, "waveOutGetNumDevs")) return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(ThreeWaveDevices));
    if (!strcmp(name, "waveOutGetDevCapsA")) return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(WaveCaps));
    return nullptr;
}
}  // namespace

// The platform's sound cards are its wave devices, through winmm looked up
// at run time; without winmm there are none, and nothing else changes.
TEST(Detect, PlatformSoundCardsAreTheWaveDevicesThatAnswer) {
    ProcResolver previous = SetProcResolver(WaveStandIns);
    DeviceLists l = DetectPlatformDevices();
    SetProcResolver(previous);
    EXPECT_EQ(l.sound, (std::vector<std::string>{"ZELBR Wave 0", "ZELBR Wave 2"}));
    Windows95Procs none;
    DeviceLists without = DetectPlatformDevices();
    EXPECT_TRUE(without.sound.empty());
    EXPECT_TRUE(none.Asked("winmm.dll!waveOutGetNumDevs"));
    EXPECT_EQ(without.disks.size(), l.disks.size());
}

TEST(Detect, AnEnumerationWithNoLiveDeviceLeavesDetectionToThePlatform) {
    const DeviceLists platform = DetectPlatformDevices();
    ASSERT_FALSE(platform.disks.empty());
    {
        // "Enum" there, the live table there but empty.
        MachineKey enumRoot(HKEY_LOCAL_MACHINE, "Enum");
        MachineKey live(HKEY_DYN_DATA, "Config Manager\\Enum");
        ASSERT_TRUE(enumRoot.key && live.key) << "the test needs HKEY_DYN_DATA";
        RegKey stale;
        stale.Create(enumRoot.key.get(), "ESDI\\OLD\\0");
        stale.WriteText("Class", "DiskDrive");
        stale.WriteText("DeviceDesc", "A DISK LONG GONE");
        DeviceLists l = DetectHardware();
        ASSERT_EQ(l.disks.size(), platform.disks.size());
        EXPECT_EQ(l.disks[0].description, platform.disks[0].description);
        EXPECT_EQ(l.display, platform.display);

        // One live device: the walk is the answer, nothing of the platform.
        RegKey present;
        present.Create(live.key.get(), "C0001");
        present.WriteText("HardWareKey", "ESDI\\OLD\\0");
        l = DetectHardware();
        ASSERT_EQ(l.disks.size(), 1u);
        EXPECT_EQ(l.disks[0].description, "A DISK LONG GONE");
        EXPECT_TRUE(l.display.empty());
    }
    RegKey gone;
    EXPECT_FALSE(gone.Open(HKEY_DYN_DATA, "Config Manager\\Enum"));
}

TEST(Detect, WithoutTheEnumerationThePlatformTellsDisksAndDisplay) {
    RegKey win95;
    ASSERT_FALSE(win95.Open(HKEY_DYN_DATA, "Config Manager\\Enum")) << "left by another test";
    // As on the NT family and under Wine: no "Config Manager\Enum".
    DeviceLists l = DetectHardware();
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    auto own = std::find_if(l.disks.begin(), l.disks.end(),
                            [&](const DiskEntry& d) { return d.letters.find(exe[0]) != std::string::npos; });
    ASSERT_NE(own, l.disks.end()) << "the disk this program runs from";
    EXPECT_EQ(own->deviceType, kHardDisk);
    EXPECT_EQ(own->description.compare(0, 2, std::string(1, exe[0]) + ":"), 0) << own->description;
    EXPECT_FALSE(l.display.empty());
    for (const DiskEntry& d : l.disks) EXPECT_EQ(d.letters.size(), 1u);
}

// --- the record ------------------------------------------------------------------

#include "sysinfo/record.h"

namespace {

DiskEntry Disk(const char* letters, uint32_t type, bool scsi, const char* desc) {
    DiskEntry d;
    d.letters = letters;
    d.deviceType = type;
    d.scsi = scsi;
    d.description = desc;
    return d;
}

DetectedDefaults Detected() {
    DetectedDefaults d;
    d.cpu = "Pentium";
    d.memory = "32768";
    d.resolution = "800*600";
    d.colours = "256";
    d.comment = "ｺﾝﾋﾟｭｰﾀ名\tPC\r\nﾕｰｻﾞｰ名\tbob";
    return d;
}

}  // namespace

TEST(Record, DiskDefaultIsTheProgramsDriveAndDecidesTheController) {
    DeviceLists l;
    l.disks = {Disk("C", 0, false, "IDE DISK"), Disk("DE", 0x100, true, "SCSI DISK"), Disk("F", 10, false, "FLOPPY")};
    l.hardDiskControllers = {"IDE CONTROLLER"};
    l.scsiAdapters = {"AHA-2940"};
    l.floppyControllers = {"FDC"};
    DiskChoice d = DefaultDisk(l, 'E');
    EXPECT_EQ(d.disk, "SCSI DISK");
    EXPECT_EQ(d.type, 0u) << "low byte only";
    EXPECT_TRUE(d.scsi);
    EXPECT_EQ(DefaultDiskCtrl(l, d.type, d.scsi), "AHA-2940");
    d = DefaultDisk(l, 'C');
    EXPECT_EQ(DefaultDiskCtrl(l, d.type, d.scsi), "IDE CONTROLLER");
    // No disk holds the letter: "?", and the last disk decides the controller.
    d = DefaultDisk(l, 'Z');
    EXPECT_EQ(d.disk, "?");
    EXPECT_EQ(d.type, 10u);
    EXPECT_EQ(DefaultDiskCtrl(l, d.type, d.scsi), "FDC");
    EXPECT_EQ(DefaultDiskCtrl(l, 5, false), "?") << "a CD-ROM names no controller";
    l.hardDiskControllers.clear();
    EXPECT_EQ(DefaultDiskCtrl(l, 0, false), "?");
    EXPECT_EQ(DefaultDiskCtrl(DeviceLists(), 0, false), "?");
    EXPECT_EQ(DefaultDisk(DeviceLists(), 'C').disk, "?");
}

TEST(Record, GraphicDefaultPrefersTheAdapterSystemIniNames) {
    DeviceLists l;
    EXPECT_EQ(DefaultGraphic(l, "S3"), "?");
    l.display = {"Cirrus", "s3 trio", "Matrox"};
    EXPECT_EQ(DefaultGraphic(l, "S3 TRIO"), "s3 trio") << "case does not matter";
    EXPECT_EQ(DefaultGraphic(l, "miss"), "Matrox") << "without display.drv: the last adapter";
    EXPECT_EQ(DefaultGraphic(l, "MISS"), "Matrox");
    EXPECT_EQ(DefaultGraphic(l, "vga.drv"), "vga.drv");
}

TEST(Record, StoredValuesWinAndNothingIsWrittenAtLoad) {
    ScratchKey s;
    DeviceLists l;
    l.disks = {Disk("C", 0, false, "IDE DISK")};
    l.hardDiskControllers = {"IDE CONTROLLER"};
    l.display = {"S3"};
    l.network = {"NE2000", "3C509"};
    SystemInfoRecord r;
    ASSERT_TRUE(LoadSystemInfo(s.root(), Detected(), l, "C:\\ZELBR\\", "miss", &r));
    const std::string expected[kFieldCount] = {"Pentium", "?", "?", "?", "32768", "IDE CONTROLLER", "IDE DISK",
                                               "S3", "800*600", "256", "NE2000", "?", Detected().comment};
    for (int i = 0; i < kFieldCount; ++i) EXPECT_EQ(r.text[i], expected[i]) << kFieldNames[i];
    RegKey system;
    ASSERT_TRUE(system.Open(s.root(), "System"));
    DWORD values = 99;
    RegQueryInfoKeyA(system.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                     nullptr, nullptr);
    EXPECT_EQ(values, 0u) << "loading writes nothing";

    ASSERT_TRUE(StoreSystemField(s.root(), "Clock", "166"));
    ASSERT_TRUE(StoreSystemField(s.root(), "Comment", "line one\r\nline two"));
    ASSERT_TRUE(StoreSystemField(s.root(), "Disk", "MY DISK"));
    DWORD type = 0;
    EXPECT_EQ(s.Raw("System", "Clock", &type), std::string("166\0", 4));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    ASSERT_TRUE(LoadSystemInfo(s.root(), Detected(), l, "C:\\ZELBR\\", "miss", &r));
    EXPECT_EQ(r.text[kClock], "166");
    EXPECT_EQ(r.text[kComment], "line one\r\nline two");
    EXPECT_EQ(r.text[kDisk], "MY DISK");
    EXPECT_EQ(r.text[kDiskCtrl], "IDE CONTROLLER") << "the disk search still decides the controller";
}

TEST(Editor, ChoicesFollowTheDeviceListsInOrder) {
    DeviceLists l;
    l.disks = {Disk("C", 0, false, "IDE DISK"), Disk("D", 5, false, "CD-ROM")};
    l.scsiAdapters = {"AHA-2940"};
    l.hardDiskControllers = {"IDE 1", "IDE 2"};
    l.floppyControllers = {"FDC"};
    l.display = {"S3", "Cirrus"};
    l.network = {"NE2000"};
    const DetectedDefaults d = Detected();
    EXPECT_EQ(FieldChoices(kDiskCtrl, d, l), (std::vector<std::string>{"AHA-2940", "IDE 1", "IDE 2", "FDC"}));
    EXPECT_EQ(FieldChoices(kDisk, d, l), (std::vector<std::string>{"IDE DISK", "CD-ROM"}));
    EXPECT_EQ(FieldChoices(kGraphic, d, l), (std::vector<std::string>{"S3", "Cirrus"}));
    EXPECT_EQ(FieldChoices(kNetCard, d, l), std::vector<std::string>{"NE2000"});
    EXPECT_TRUE(FieldChoices(kSoundCard, d, l).empty());
    EXPECT_EQ(FieldChoices(kCpu, d, l), std::vector<std::string>{d.cpu});
    EXPECT_EQ(FieldChoices(kMem, d, l), std::vector<std::string>{d.memory});
    EXPECT_EQ(FieldChoices(kReso, d, l), std::vector<std::string>{d.resolution});
    EXPECT_EQ(FieldChoices(kCols, d, l), std::vector<std::string>{d.colours});
    for (Field f : {kClock, kL1, kL2, kComment}) EXPECT_TRUE(FieldChoices(f, d, l).empty()) << f;

    const UpDownStart starts[] = {UpDownStartFor(386), UpDownStartFor(486), UpDownStartFor(586),
                                  UpDownStartFor(8664)};
    const int expected[][3] = {{33, 0, 0}, {66, 8, 0}, {90, 16, 256}, {150, 32, 512}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(starts[i].clock, expected[i][0]) << i;
        EXPECT_EQ(starts[i].l1, expected[i][1]) << i;
        EXPECT_EQ(starts[i].l2, expected[i][2]) << i;
    }
}

TEST(Editor, ApplyStoresChangedFieldsOnceInRecordOrder) {
    ScratchKey s;
    SystemInfoRecord r;
    std::string initial[kFieldCount], current[kFieldCount];
    for (int i = 0; i < kFieldCount; ++i) r.text[i] = initial[i] = current[i] = "?";
    current[kComment] = "a\r\nb";
    current[kClock] = "166";
    current[kDisk] = "?";  // unchanged
    std::vector<int> shown;
    EXPECT_EQ(ApplyChangedFields(s.root(), current, initial, &r, [&](int f) {
                  EXPECT_EQ(r.text[f], current[f]) << "the record holds the text before it is shown";
                  shown.push_back(f);
              }),
              2);
    EXPECT_EQ(shown, (std::vector<int>{kClock, kComment}));
    EXPECT_EQ(r.text[kClock], "166");
    EXPECT_EQ(initial[kComment], "a\r\nb");
    EXPECT_EQ(s.Raw("System", "Comment"), std::string("a\r\nb\0", 5));
    EXPECT_FALSE(s.Has("System", "Disk"));
    EXPECT_FALSE(s.Has("System", "CPU"));
    // Applied values are the new initial ones: nothing more to write.
    shown.clear();
    EXPECT_EQ(ApplyChangedFields(s.root(), current, initial, &r, [&](int f) { shown.push_back(f); }), 0);
    EXPECT_TRUE(shown.empty());
    // Case counts as a change.
    current[kClock] = "166a";
    initial[kClock] = "166A";
    EXPECT_EQ(ApplyChangedFields(s.root(), current, initial, &r, nullptr), 1);
}

TEST(Editor, TextTooLongToReadBackIsCutOnACharacterBoundary) {
    EXPECT_EQ(FitStoredText(std::string(255, 'x')), std::string(255, 'x'));
    EXPECT_EQ(FitStoredText(std::string(300, 'x')), std::string(255, 'x'));
    // 254 bytes, then a double-byte character that would end at byte 256.
    std::string dbcs = std::string(254, 'x') + "測定";
    EXPECT_EQ(FitStoredText(dbcs), std::string(254, 'x'));
    std::string even = std::string(253, 'x') + "測定";
    EXPECT_EQ(FitStoredText(even), std::string(253, 'x') + "測");
    // Half-width katakana are single bytes.
    std::string kana = std::string(254, 'x') + "ｶﾅ";
    EXPECT_EQ(FitStoredText(kana), std::string(254, 'x') + "ｶ");

    // Stored cut, it reads back at the next start instead of being lost.
    ScratchKey s;
    SystemInfoRecord r;
    std::string initial[kFieldCount], current[kFieldCount];
    current[kComment] = std::string(200, 'a') + std::string(100, 'b');
    ASSERT_EQ(ApplyChangedFields(s.root(), current, initial, &r, nullptr), 1);
    EXPECT_EQ(current[kComment].size(), 255u);
    EXPECT_EQ(r.text[kComment], current[kComment]);
    SystemInfoRecord loaded;
    ASSERT_TRUE(LoadSystemInfo(s.root(), Detected(), DeviceLists(), "C:\\", "miss", &loaded));
    EXPECT_EQ(loaded.text[kComment], current[kComment]);
}

TEST(Editor, AnUntouchedFieldIsNoChangeWhateverItsControlHolds) {
    // A value stored with 256 bytes and no terminator reads as 256 bytes; a
    // control holds 255 of them. Untouched, the field writes nothing.
    std::string initial[kFieldCount], held[kFieldCount], current[kFieldCount];
    for (int i = 0; i < kFieldCount; ++i) {
        initial[i] = std::string(256, static_cast<char>('a' + i));
        held[i] = current[i] = initial[i].substr(0, 255);
    }
    current[kDisk] = "typed";
    KeepUntouched(current, held, initial);
    ScratchKey s;
    SystemInfoRecord r;
    std::vector<int> shown;
    EXPECT_EQ(ApplyChangedFields(s.root(), current, initial, &r, [&](int f) { shown.push_back(f); }), 1);
    EXPECT_EQ(shown, std::vector<int>{kDisk});
    EXPECT_EQ(current[kCpu].size(), 256u);
    EXPECT_FALSE(s.Has("System", "CPU"));
    EXPECT_EQ(s.Raw("System", "Disk"), std::string("typed\0", 6));
}

namespace {

// The record as the next start reads it.
SystemInfoRecord Reload(const ScratchKey& s) {
    SystemInfoRecord r;
    EXPECT_TRUE(LoadSystemInfo(s.root(), Detected(), DeviceLists(), "C:\\", "miss", &r));
    return r;
}

}  // namespace

TEST(Editor, AnApplyCutShortAtAnyStepLeavesTheOldFieldsOrTheNew) {
    // Seven of thirteen fields change, as when the user fills in a machine.
    const int changedFields[] = {kClock, kL1, kL2, kDiskCtrl, kGraphic, kNetCard, kComment};
    int counts[3] = {};  // old, new, mixed
    int cut = 0;
    for (;; ++cut) {
        ScratchKey s;
        std::string initial[kFieldCount], current[kFieldCount];
        for (int i = 0; i < kFieldCount; ++i) {
            initial[i] = current[i] = std::string("old ") + kFieldNames[i];
            ASSERT_TRUE(StoreSystemField(s.root(), kFieldNames[i], initial[i]));
        }
        for (int f : changedFields) current[f] = std::string("new ") + kFieldNames[f] + "\r\n2";
        SystemInfoRecord r;
        bool stopped = false;
        ApplyChangedFields(s.root(), current, initial, &r, nullptr, [&](int step) {
            if (step == cut) stopped = true;
            return step < cut;
        });
        // A process that ends wherever it is then; the next start reads.
        SystemInfoRecord next = Reload(s);
        int fresh = 0;
        for (int f : changedFields) fresh += next.text[f] == current[f];
        for (int i = 0; i < kFieldCount; ++i) {
            if (std::find(std::begin(changedFields), std::end(changedFields), i) == std::end(changedFields)) {
                EXPECT_EQ(next.text[i], std::string("old ") + kFieldNames[i]) << "cut at " << cut;
            }
        }
        int kind = fresh == 0 ? 0 : fresh == 7 ? 1 : 2;
        ++counts[kind];
        EXPECT_NE(kind, 2) << "cut at step " << cut << ": " << fresh << " of 7 fields new";
        EXPECT_FALSE(s.Has(kJournalKey, "Commit")) << "the start finished or dropped the journal";
        RegKey journal;
        EXPECT_FALSE(journal.Open(s.root(), kJournalKey));
        if (!stopped) {
            EXPECT_EQ(kind, 1) << "an apply that ran to its end";
            break;
        }
    }
    std::printf("apply of 7 fields cut at each of its %d steps, then a start: %d old, %d new, %d mixed\n", cut,
                counts[0], counts[1], counts[2]);
    EXPECT_GT(counts[0], 0);
    EXPECT_GT(counts[1], 1) << "some cut stores are finished at the next start";
}

TEST(Editor, AJournalLeftUnfinishedIsFinishedOnceAndNeverOverANewerStore) {
    ScratchKey s;
    StoreSystemField(s.root(), "CPU", "old");
    // Cut after the mark, before anything was copied.
    std::vector<StoredField> first = {{kCpu, "first"}, {kMem, "1024"}};
    int marked = -1;
    StoreSystemFields(s.root(), first, [&](int step) {
        if (s.Has(kJournalKey, "Commit") && marked < 0) marked = step;
        return marked < 0;
    });
    ASSERT_GE(marked, 0);
    EXPECT_EQ(s.Raw("System", "CPU"), std::string("old\0", 4));
    // A later store of other fields takes the first one in before its own.
    std::vector<StoredField> second = {{kCpu, "second"}, {kReso, "640*480"}};
    EXPECT_TRUE(StoreSystemFields(s.root(), second));
    SystemInfoRecord r = Reload(s);
    EXPECT_EQ(r.text[kCpu], "second");
    EXPECT_EQ(r.text[kMem], "1024");
    EXPECT_EQ(r.text[kReso], "640*480");

    // A journal without its mark never counted.
    RegKey journal = s.Sub(kJournalKey);
    journal.WriteText("CPU", "never");
    journal.Close();
    EXPECT_EQ(Reload(s).text[kCpu], "second");
    EXPECT_FALSE(s.Has(kJournalKey, "CPU"));
}
