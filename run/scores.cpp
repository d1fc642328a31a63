#include "run/scores.h"

#include <cstdio>
#include <vector>

#include "framework/regkey.h"
#include "items/catalogue.h"

namespace run {

const char kBenchKey[] = "Bench";

namespace {
int ToScore(double value) {
    // Truncation toward zero; -1 is reserved for "no score".
    int score = static_cast<int>(value);
    return score == kNoScore ? -2 : score;
}
}  // namespace

int RateRecord(const ResultRecord& rec, uint32_t runCount) {
    if (rec.reference == 0 || rec.runs < runCount) return kNoScore;
    uint32_t sum = 0;
    for (uint32_t v : rec.values) sum += v;
    if (rec.runSum != sum) return kNoScore;
    if (rec.checkSum != static_cast<uint32_t>(rec.runs + rec.reference + sum + rec.runSum)) return kNoScore;
    if (runCount < 1 || runCount > 10) return kNoScore;
    double total = 0.0;
    for (uint32_t i = 0; i < runCount; ++i) total += static_cast<double>(rec.values[i]);
    double mean = total / runCount;
    if (mean <= 0.0) return kNoScore;
    double score = static_cast<double>(rec.reference) / mean * 10000.0;
    // Beyond the 32-bit range the conversion would be undefined.
    if (score >= 2147483647.0) return 2147483647;
    return ToScore(score);
}

namespace {
int ScoreUnder(HKEY bench, const std::string& name, uint32_t runCount, uint32_t* reference) {
    std::string base = name.size() > 4 ? name.substr(0, name.size() - 4) : std::string();
    RegKey item;
    if (base.empty() || !item.Open(bench, base.c_str(), KEY_READ)) return kNoScore;
    ResultRecord rec;
    if (!item.ReadExact("Result", &rec, sizeof rec)) return kNoScore;
    int score = RateRecord(rec, runCount);
    if (score != kNoScore && reference) *reference = rec.reference;
    return score;
}
}  // namespace

int ItemScore(HKEY root, const std::string& name, uint32_t runCount, uint32_t* reference) {
    if (name.empty()) return kNoScore;
    RegKey bench;
    if (!bench.Create(root, kBenchKey)) return kNoScore;
    return ScoreUnder(bench.get(), name, runCount, reference);
}

int WeightedScore(const Rated* items, size_t count) {
    if (count == 0) return kNoScore;
    double referenceTotal = 0.0;
    for (size_t i = 0; i < count; ++i) referenceTotal += static_cast<double>(items[i].reference);
    double total = 0.0;
    for (size_t i = 0; i < count; ++i)
        total += static_cast<double>(items[i].reference) * static_cast<double>(static_cast<uint32_t>(items[i].score)) /
                 referenceTotal;
    if (total >= 2147483647.0) return 2147483647;
    return ToScore(total);
}

int OverallScore(HKEY root, const std::string& programDir, uint32_t runCount,
                 const std::function<void(const std::string&)>& onMissing) {
    {
        RegKey measure;
        if (!measure.Create(root, items::kMeasureKey)) return kNoScore;
    }
    return OverallScore(root, items::ReadCatalogue(root, programDir), runCount, onMissing);
}

int OverallScore(HKEY root, const std::vector<items::CatalogueEntry>& catalogue, uint32_t runCount,
                 const std::function<void(const std::string&)>& onMissing) {
    std::vector<Rated> rated;
    // "Bench" opened once for the walk, not once per item as ItemScore does.
    RegKey bench;
    for (const items::CatalogueEntry& e : catalogue) {
        if (!e.exists) {
            onMissing(e.file);
            continue;
        }
        if (!e.selected) continue;
        if (!bench.get() && !bench.Create(root, kBenchKey)) continue;
        uint32_t reference = 0;
        int score = ScoreUnder(bench.get(), e.file, runCount, &reference);
        if (score == kNoScore) continue;
        rated.push_back(Rated{reference, score});
    }
    return WeightedScore(rated.data(), rated.size());
}

std::string ScoreText(int score) {
    if (score == kNoScore) return std::string();
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d", score);
    return buf;
}

}  // namespace run
