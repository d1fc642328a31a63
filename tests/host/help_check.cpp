// The help compiler and the help file reader, natively under the sanitizers:
//   help_check <mkhelp> <work dir> <ZELBR.HLP> <item .HLP>...
// Sources go through the real tool; the reader gets hostile bytes.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "help/hlpfile.h"
#include "help/richtext.h"

namespace {

int g_failures = 0;

#define CHECK(cond)                                                        \
    do {                                                                   \
        if (!(cond)) {                                                     \
            std::fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, #cond); \
            ++g_failures;                                                  \
        }                                                                  \
    } while (0)

std::string g_tool, g_work;

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs the tool on `source` (UTF-8); true when it succeeds.
bool Compile(const std::string& source, std::vector<uint8_t>* out) {
    std::string src = g_work + "/help_check.txt", dst = g_work + "/help_check.hlp";
    std::remove(dst.c_str());
    std::ofstream(src, std::ios::binary) << source;
    std::string cmd = "'" + g_tool + "' '" + src + "' '" + dst + "' 2>/dev/null";
    if (std::system(cmd.c_str()) != 0) return false;
    *out = ReadBytes(dst);
    return true;
}

bool Parse(const std::vector<uint8_t>& bytes, hlp::File* file) { return hlp::Parse(bytes.data(), bytes.size(), file); }

// Runs of a topic as "kind:text" strings ("4:" for a line end, "3>n:" for a link).
std::vector<std::string> Runs(const hlp::Topic& t) {
    std::vector<std::string> out;
    for (const hlp::Run& r : t.runs) {
        std::string s = std::to_string(r.kind);
        if (r.kind == hlp::kLink) s += ">" + std::to_string(r.target);
        out.push_back(s + ":" + r.text);
    }
    return out;
}

void CompilesMarkup() {
    std::vector<uint8_t> bytes;
    // 目次 is 96DA 8E9F, 二 is 93F1 in code page 932.
    CHECK(Compile("# comment\n= 目次\nkeywords: 目次, 索引 ,\n\n== 見出し\n本文 [[二|次へ]] です\n続き\n- 項目\n続き\n"
                  "[[二]]\n[[目次]]\n\n\n= 二\nok\n",
                  &bytes));
    hlp::File f;
    CHECK(Parse(bytes, &f));
    if (f.topics.size() != 2) {
        CHECK(f.topics.size() == 2);
        return;
    }
    CHECK(f.topics[0].title == "\x96\xDA\x8E\x9F");
    CHECK(f.topics[0].keywords.size() == 2);
    CHECK(f.topics[1].keywords.empty());
    std::vector<std::string> want = {
        "2:\x8C\xA9\x8F\x6F\x82\xB5", "4:",                                // heading, its line end
        "1:\x96\x7B\x95\xB6 ", "3>1:\x8E\x9F\x82\xD6", "1: \x82\xC5\x82\xB7",  // text, link, text
        "1:\x91\xB1\x82\xAB", "4:",                                        // joined paragraph line
        "1:- \x8D\x80\x96\xDA", "4:",                                      // list line stays apart
        "1:\x91\xB1\x82\xAB", "4:",                                        // nothing joins a list line
        "3>1:\x93\xF1", "4:", "3>0:\x96\xDA\x8E\x9F", "4:",                // link lines stay apart
    };
    CHECK(Runs(f.topics[0]) == want);  // trailing blank lines dropped
    CHECK(Runs(f.topics[1]) == std::vector<std::string>({"1:ok", "4:"}));
}

void RejectsBrokenSources() {
    std::vector<uint8_t> bytes;
    CHECK(!Compile("= A\n[[B]]\n", &bytes));           // link to a missing topic
    CHECK(!Compile("= A\n[[A\n", &bytes));             // unclosed link
    CHECK(!Compile("= A\n= A\n", &bytes));             // two topics of one name
    CHECK(!Compile("text\n= A\n", &bytes));            // text before any topic
    CHECK(!Compile("= A\n\xF0\x9F\x98\x80\n", &bytes));  // not in code page 932
    CHECK(!Compile("# only a comment\n", &bytes));     // no topics
    CHECK(Compile("= A\n[[A|self]]\n", &bytes));
}

void ReaderRejectsHostileBytes() {
    hlp::File f;
    f.topics.resize(2);
    f.topics[0].title = "A";
    f.topics[0].keywords = {"k1", "k2"};
    f.topics[0].runs = {{hlp::kText, 0, "t"}, {hlp::kLink, 1, "L"}, {hlp::kLineEnd, 0, ""}};
    f.topics[1].title = "B";
    std::vector<uint8_t> good = hlp::Write(f);
    hlp::File back;
    CHECK(Parse(good, &back));
    CHECK(back.topics.size() == 2 && Runs(back.topics[0]) == Runs(f.topics[0]));

    // Every truncation, and one byte too many.
    bool anyTruncationRead = false;
    for (size_t n = 0; n < good.size(); ++n) {
        std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<long>(n));
        anyTruncationRead |= hlp::Parse(cut.data(), cut.size(), &back);
    }
    CHECK(!anyTruncationRead);
    CHECK(back.topics.empty());  // a failed read leaves nothing behind
    std::vector<uint8_t> longer = good;
    longer.push_back(0);
    CHECK(!Parse(longer, &back));
    CHECK(!hlp::Parse(nullptr, 0, &back));

    // Offsets: magic 0-7, count 8-11, title length 12, title 14, keyword count 15.
    auto patched = [&](size_t at, uint8_t v) {
        std::vector<uint8_t> b = good;
        b[at] = v;
        return b;
    };
    CHECK(!Parse(patched(0, 'X'), &back));     // magic
    CHECK(!Parse(patched(8, 0), &back));       // no topics
    CHECK(!Parse(patched(11, 0xFF), &back));   // absurd topic count
    CHECK(!Parse(patched(13, 0xFF), &back));   // title longer than the file
    CHECK(!Parse(patched(16, 0xFF), &back));   // keyword count past the end
    // Body of topic 0 starts after: 12 + 2+1 + 2 + (2+2)*2 + 4 = 29.
    const size_t body = 29;
    CHECK(!Parse(patched(body, 9), &back));              // unknown run kind
    CHECK(!Parse(patched(body + 5 + 1 + 1, 2), &back));  // link to topic 2 of 2
    CHECK(!Parse(patched(body - 4, 0xFF), &back));       // body size past the end
    CHECK(Parse(patched(body + 5 + 1 + 1, 0), &back));   // link to topic 0 is fine
}

void CapsKeywords() {
    hlp::File f;
    f.topics.resize(2);
    f.topics[0].keywords.assign(hlp::kMaxKeywords / 2, "k");
    f.topics[1].keywords.assign(hlp::kMaxKeywords - hlp::kMaxKeywords / 2, "k");
    hlp::File back;
    CHECK(Parse(hlp::Write(f), &back));  // the most a file may have, over two topics
    f.topics[1].keywords.push_back("k");
    CHECK(!Parse(hlp::Write(f), &back));
    f.topics[1].keywords.assign(1, "");
    CHECK(!Parse(hlp::Write(f), &back));  // a keyword of no letters
}

size_t Count(const std::string& s, const std::string& what) {
    size_t n = 0;
    for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1)) ++n;
    return n;
}

const char kCutNoteRtf[] = "\\'81\\'69\\'88\\'c8";  // the start of （以下省略）

// The RTF a topic streams in: escapes, formats, and link positions as the
// control counts them, for Rich Edit 2.0 and 1.0 counting.
void WritesTopicRtf() {
    std::vector<hlp::Run> runs = {
        {hlp::kText, 0, "a b\\{}\x83\x5c"},  // ソ ends in a backslash byte
        {hlp::kLink, 1, "\x82\xa0"},          // あ
        {hlp::kLineEnd, 0, ""},
        {hlp::kHeading, 0, "\x82\x0a\xff"},  // no trail byte, a byte that is no character
        {hlp::kLink, 2, "x"},
    };
    for (int w : {1, 2}) {
        hlp::TextMetrics m;
        m.dbcsWidth = m.lineEndWidth = w;
        hlp::RichText rt = hlp::TopicRtf("T", runs, m);
        CHECK(rt.rtf.find("{\\rtf1\\ansi\\ansicpg932") == 0);
        CHECK(rt.rtf.find("{\\f0\\fs30\\b\\cf2 T}\\par") != std::string::npos);  // title
        CHECK(rt.rtf.find("{\\f0\\fs20\\cf1 a\\~b\\\\\\{\\}\\'83\\'5c}") != std::string::npos);
        CHECK(rt.rtf.find("{\\f0\\fs20\\ul\\cf3 \\'82\\'a0}\\par") != std::string::npos);
        CHECK(rt.rtf.find("{\\f0\\fs24\\b\\cf2 ???}") != std::string::npos);
        // T, line end, a b\{} and ソ (6 + 1 double-byte), あ, line end, ???, x.
        long link1 = 1 + w + 6 + w;
        CHECK(rt.links.size() == 2);
        if (rt.links.size() == 2) {
            CHECK(rt.links[0].first == link1 && rt.links[0].last == link1 + w && rt.links[0].target == 1);
            long link2 = link1 + w + w + 3;
            CHECK(rt.links[1].first == link2 && rt.links[1].last == link2 + 1 && rt.links[1].target == 2);
            CHECK(rt.length == link2 + 1);
        }
        CHECK(rt.rtf.find(kCutNoteRtf) == std::string::npos);
    }
}

// Far too much for one page is cut short with a note, and long paragraphs
// are broken into lines.
void CutsTopicsShort() {
    hlp::TextMetrics m;
    hlp::RichText rt = hlp::TopicRtf("T", {{hlp::kText, 0, std::string(hlp::kMaxShownChars + 10, 'a')}}, m);
    CHECK(rt.rtf.find(kCutNoteRtf) != std::string::npos);
    CHECK(rt.length - 1 - 6 == hlp::kMaxShownChars);  // and the note's line end and 6 characters
    // The title's line end, the breaks, the note's line end.
    CHECK(Count(rt.rtf, "\\par\n") == size_t(1 + (hlp::kMaxShownChars - 2 - 1) / hlp::kMaxLineChars + 1));

    rt = hlp::TopicRtf("T", {{hlp::kText, 0, std::string(hlp::kMaxLineChars, 'a')}}, m);
    CHECK(Count(rt.rtf, "\\par\n") == 1);  // a line just as long as allowed stays whole
    rt = hlp::TopicRtf("T", {{hlp::kText, 0, std::string(hlp::kMaxLineChars + 1, 'a')}}, m);
    CHECK(Count(rt.rtf, "\\par\n") == 2);

    // The title is one of the runs shown.
    std::vector<hlp::Run> links(hlp::kMaxShownRuns, {hlp::kLink, 0, "L"});
    rt = hlp::TopicRtf("T", links, m);
    CHECK(rt.links.size() == size_t(hlp::kMaxShownRuns - 1));
    CHECK(rt.rtf.find(kCutNoteRtf) != std::string::npos);
    links.pop_back();
    CHECK(hlp::TopicRtf("T", links, m).rtf.find(kCutNoteRtf) == std::string::npos);

    std::vector<hlp::Run> lines(hlp::kMaxShownLines + 5, {hlp::kLineEnd, 0, ""});
    rt = hlp::TopicRtf("T", lines, m);
    CHECK(Count(rt.rtf, "\\par\n") == size_t(hlp::kMaxShownLines));
    CHECK(rt.rtf.find(kCutNoteRtf) == std::string::npos);  // only line ends were left out
    lines.push_back({hlp::kText, 0, "t"});
    CHECK(hlp::TopicRtf("T", lines, m).rtf.find(kCutNoteRtf) != std::string::npos);
}

void FindsByPartialKey() {
    hlp::File f;
    f.topics.resize(3);
    f.topics[0].keywords = {"abc", "abd"};
    f.topics[1].keywords = {"xab"};
    f.topics[2].keywords = {"ab"};
    CHECK(hlp::FindKeyword(f, "ab") == std::vector<int>({0, 2}));  // once per topic, prefix only
    CHECK(hlp::FindKeyword(f, "abd") == std::vector<int>({0}));
    CHECK(hlp::FindKeyword(f, "abcd").empty());
    CHECK(hlp::FindKeyword(f, "").empty());
}

// The shipped manual answers every keyword the program asks for with exactly
// one topic, and every item help file reads.
void ShippedFiles(const std::string& manual, const std::vector<std::string>& items) {
    hlp::File f;
    CHECK(Parse(ReadBytes(manual), &f));
    const char* keys[] = {
        "\x92\x8D\x88\xD3\x8E\x96\x8D\x80",                                  // 注意事項
        "\x91\xAA\x92\xE8\x90\xB8\x93\x78\x82\xCC\x91\x49\x91\xF0",          // 測定精度の選択
        "\x91\xAA\x92\xE8\x8D\x80\x96\xDA\x82\xCC\x95\xD2\x8F\x57",          // 測定項目の編集
        "\x83\x56\x83\x58\x83\x65\x83\x80\x8F\xEE\x95\xF1\x82\xCC\x95\xD2\x8F\x57",  // システム情報の編集
        "\x95\x5C\x8E\xA6\x83\x82\x81\x5B\x83\x68\x82\xCC\x91\x49\x91\xF0",  // 表示モードの選択
        "\x95\x5C\x8E\xA6\x88\xCA\x92\x75\x82\xCC\x90\xDD\x92\xE8",          // 表示位置の設定
        "\x8C\x78\x8D\x90\x82\xCC\x90\xDD\x92\xE8",                          // 警告の設定
    };
    for (const char* k : keys) {
        std::vector<int> found = hlp::FindKeyword(f, k);
        CHECK(found.size() == 1);
        if (found.size() == 1) CHECK(f.topics[found[0]].title == k);
    }
    CHECK(f.topics.size() > 10);
    for (const std::string& item : items) {
        hlp::File i;
        bool ok = Parse(ReadBytes(item), &i);
        if (!ok) std::fprintf(stderr, "%s does not read\n", item.c_str());
        CHECK(ok && !i.topics.empty() && !i.topics[0].runs.empty());
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: help_check <mkhelp> <work dir> <ZELBR.HLP> [item .HLP...]\n");
        return 2;
    }
    g_tool = argv[1];
    g_work = argv[2];
    CompilesMarkup();
    RejectsBrokenSources();
    ReaderRejectsHostileBytes();
    FindsByPartialKey();
    CapsKeywords();
    WritesTopicRtf();
    CutsTopicsShort();
    ShippedFiles(argv[3], std::vector<std::string>(argv + 4, argv + argc));
    if (g_failures) std::fprintf(stderr, "%d check(s) failed\n", g_failures);
    return g_failures ? 1 : 0;
}
