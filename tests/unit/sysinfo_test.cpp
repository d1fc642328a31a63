#include "sysinfo/detect.h"
#include "sysinfo/editor.h"

#include <gtest/gtest.h>

#include <algorithm>

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

TEST(Detect, MemoryIsTheWholePhysicalMemory) {
    MEMORYSTATUSEX ms{};
    ms.dwLength = sizeof ms;
    ASSERT_TRUE(GlobalMemoryStatusEx(&ms));
    EXPECT_EQ(PhysicalMemoryKb(), ms.ullTotalPhys >> 10);
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

TEST(Detect, DisplayAdaptersFromAnNtDeviceTree) {
    ScratchKey s;
    auto device = [&](const char* path, const char* cls, const char* desc) {
        RegKey k = s.Sub((std::string("Enum\\") + path).c_str());
        k.WriteText("Class", cls);
        k.WriteText("DeviceDesc", desc);
    };
    device("PCI\\VEN_5333\\0000", "Display", "S3 Trio64");
    device("PCI\\VEN_8086\\0000", "Net", "Intel PRO/100");
    device("PCI\\VEN_10DE\\0001", "DISPLAY", "@oem3.inf,%nv%;NVIDIA GeForce");
    device("ROOT\\BASICDISPLAY\\0000", "display", "S3 Trio64");  // the same adapter twice
    RegKey root = s.Sub("Enum");
    // Registry order: VEN_10DE before VEN_5333.
    std::vector<std::string> expected{"NVIDIA GeForce", "S3 Trio64"};
    EXPECT_EQ(DevicesOfClass(root.get(), "Display"), expected);
}

TEST(Detect, WithoutTheEnumerationThePlatformTellsDisksAndDisplay) {
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
