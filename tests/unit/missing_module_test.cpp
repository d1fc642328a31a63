// Entries whose module is not a file of the program directory: every pass
// over the catalogue treats them as missing, whatever their selection, and
// a name that climbs out of the directory never counts as present, even
// when a file sits where it points.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "items/catalogue.h"
#include "mainwnd/report.h"
#include "run/protocol.h"
#include "run/scores.h"
#include "scratch_key.h"
#include "temp_dir.h"

namespace {

// A program directory inside a scratch directory, so that "..\X" names a
// real file just outside it.
struct NestedProgramDir {
    void WriteInside(const char* name) const { inner.Write(name); }
    TempDir outer;
    TempDir inner{outer.path};
    const std::string& program = inner.path;  // ends with a backslash
};

void AddEntry(const ScratchKey& s, const char* key, const char* file, DWORD select) {
    RegKey k = s.Sub((std::string("Measure\\") + key).c_str());
    k.WriteText("File", file);
    k.WriteDword("Select", select);
}

run::ResultRecord Record(uint32_t reference, uint32_t value) {
    run::ResultRecord r{};
    r.runs = 1;
    r.reference = reference;
    r.values[0] = value;
    r.runSum = value;
    r.checkSum = r.runs + r.reference + value + r.runSum;
    return r;
}

}  // namespace

TEST(MissingModules, NameOutsideTheProgramDirectoryIsMissingEvenWhenTheFileExists) {
    ScratchKey s;
    NestedProgramDir dir;
    dir.outer.Write("A.BNC");
    dir.WriteInside("B.BNC");
    ASSERT_TRUE(items::FileExists(dir.program + "..\\A.BNC")) << "the file the name points at must exist";
    AddEntry(s, "0000", "..\\A.BNC", 1);
    AddEntry(s, "0001", "B.BNC", 1);

    std::vector<items::CatalogueEntry> e = items::ReadCatalogue(s.root(), dir.program);
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].file, "..\\A.BNC");
    EXPECT_FALSE(e[0].exists);
    EXPECT_TRUE(e[1].exists);

    // A run of all items passes over it and reports it.
    std::vector<std::string> missing;
    run::AllItemsWalk walk;
    std::vector<std::string> ran;
    int pass = run::NextSelectedItem(s.root(), dir.program, 1, 0, &walk,
                                     [&](const std::string& f) { missing.push_back(f); });
    while (pass < 1) {
        ran.push_back(walk.current);
        pass = run::NextSelectedItem(s.root(), dir.program, 1, pass, &walk,
                                     [&](const std::string& f) { missing.push_back(f); });
    }
    EXPECT_EQ(ran, std::vector<std::string>{"B.BNC"});
    EXPECT_EQ(missing, std::vector<std::string>{"..\\A.BNC"});

    // So does the overall score.
    missing.clear();
    const run::ResultRecord b = Record(100, 200);
    s.Sub("Bench\\B").WriteBinary("Result", &b, sizeof b);
    EXPECT_EQ(run::OverallScore(s.root(), dir.program, 1, [&](const std::string& f) { missing.push_back(f); }),
              5000);
    EXPECT_EQ(missing, std::vector<std::string>{"..\\A.BNC"});
}

TEST(MissingModules, UnselectedEntriesAreReportedToo) {
    ScratchKey s;
    TempDir dir;
    dir.Write("A.BNC");
    AddEntry(s, "0000", "GONE0.BNC", 0);
    AddEntry(s, "0001", "A.BNC", 1);
    AddEntry(s, "0002", "GONE2.BNC", 1);
    AddEntry(s, "0003", "GONE3.BNC", 7);
    const run::ResultRecord a = Record(300, 300);
    s.Sub("Bench\\A").WriteBinary("Result", &a, sizeof a);
    const std::vector<std::string> all = {"GONE0.BNC", "GONE2.BNC", "GONE3.BNC"};

    std::vector<std::string> missing;
    EXPECT_EQ(run::OverallScore(s.root(), dir.path, 1, [&](const std::string& f) { missing.push_back(f); }),
              10000);
    EXPECT_EQ(missing, all);

    missing.clear();
    run::AllItemsWalk walk;
    int pass = run::NextSelectedItem(s.root(), dir.path, 1, 0, &walk,
                                     [&](const std::string& f) { missing.push_back(f); });
    EXPECT_EQ(pass, 0);
    EXPECT_EQ(walk.current, "A.BNC");
    pass = run::NextSelectedItem(s.root(), dir.path, 1, pass, &walk,
                                 [&](const std::string& f) { missing.push_back(f); });
    EXPECT_EQ(pass, 1);
    EXPECT_EQ(missing, all);
}

// The report checks an entry's module file before its selection, and says
// so once for each entry in one build, although the overall score it
// prints walks the same catalogue.
TEST(MissingModules, ReportNamesEachMissingModuleOnceAndInCatalogueOrder) {
    ScratchKey s;
    TempDir dir;
    dir.Write("A.BNC");
    AddEntry(s, "0000", "GONE0.BNC", 0);
    AddEntry(s, "0001", "A.BNC", 1);
    AddEntry(s, "0002", "GONE2.BNC", 1);
    AddEntry(s, "0003", "A.BNC", 0);
    const run::ResultRecord a = Record(300, 300);
    s.Sub("Bench\\A").WriteBinary("Result", &a, sizeof a);
    std::vector<std::string> missing;
    std::string text = report::BuildReport(s.root(), dir.path, 0, sysinfo::SystemInfoRecord{}, settings::Version{}, 1,
                                           [&](const std::string& f) { missing.push_back(f); });
    EXPECT_EQ(missing, (std::vector<std::string>{"GONE0.BNC", "GONE2.BNC"}));
    EXPECT_EQ(text.find("GONE"), std::string::npos);
    // One item line (the selected A), between the overall line and the end.
    size_t lines = 0;
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++lines;
    EXPECT_EQ(lines, 4u) << text;
    EXPECT_NE(text.find("\t10000\t点\r\n\r\n"), std::string::npos) << text;
}

namespace {
struct DeletedWalk {
    HKEY root;
    std::string dir;
    int pass = -2;
};
DWORD WINAPI WalkDeletedCatalogue(void* p) {
    DeletedWalk* w = static_cast<DeletedWalk*>(p);
    run::AllItemsWalk walk;
    // The first entry's module is missing; while that is said, another
    // program deletes the whole catalogue.
    w->pass = run::NextSelectedItem(w->root, w->dir, 10, 0, &walk,
                                    [&](const std::string&) { DeleteKeyTree(w->root, "Measure"); });
    return 0;
}
}  // namespace

// A catalogue deleted during an all-items walk ends the walk as an empty one
// would, instead of asking for every 32-bit index in turn.
TEST(MissingModule, AllItemsWalkEndsWhenTheCatalogueIsDeletedUnderIt) {
    ScratchKey s;
    TempDir dir;
    AddEntry(s, "0000", "GONE.BNC", 1);
    AddEntry(s, "0001", "GONE1.BNC", 1);
    AddEntry(s, "0002", "GONE2.BNC", 1);
    DeletedWalk w{s.root(), dir.path};
    HANDLE t = CreateThread(nullptr, 0, WalkDeletedCatalogue, &w, 0, nullptr);
    ASSERT_TRUE(t);
    const bool ended = WaitForSingleObject(t, 20000) == WAIT_OBJECT_0;
    if (!ended) TerminateThread(t, 1);
    CloseHandle(t);
    ASSERT_TRUE(ended) << "the walk goes on over every 32-bit index";
    EXPECT_GE(w.pass, 10) << "a deleted catalogue leaves nothing to run";
}
