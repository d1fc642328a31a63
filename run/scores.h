// Rating: an item's score from its result record, and the reference-
// weighted overall score of the selected items.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "items/catalogue.h"

namespace run {

extern const char kBenchKey[];
constexpr int kNoScore = -1;

// The 56-byte "Result" record a module writes.
struct ResultRecord {
    uint32_t runs;
    uint32_t reference;
    uint32_t values[10];
    uint32_t runSum;
    uint32_t checkSum;
};
static_assert(sizeof(ResultRecord) == 56, "Result is 56 bytes");

// Score of a record for a run count, or kNoScore. Run counts outside 1..10
// have no mean in a ten-value record, and a zero mean no ratio.
int RateRecord(const ResultRecord& rec, uint32_t runCount);

// "Bench\<name without its last four characters>\Result" rated; the
// record's reference goes to *reference when there is a score.
int ItemScore(HKEY root, const std::string& name, uint32_t runCount, uint32_t* reference);

struct Rated {
    uint32_t reference;
    int score;
};
int WeightedScore(const Rated* items, size_t count);

// Walks the catalogue; onMissing is called for each entry whose module file
// is not there (the caller shows the message).
int OverallScore(HKEY root, const std::string& programDir, uint32_t runCount,
                 const std::function<void(const std::string&)>& onMissing);
// The same over a catalogue already read (start-up reads it once for the
// slots and the overall score).
int OverallScore(HKEY root, const std::vector<items::CatalogueEntry>& catalogue, uint32_t runCount,
                 const std::function<void(const std::string&)>& onMissing);

// "%d", or empty for no score.
std::string ScoreText(int score);

}  // namespace run
