// Compiles a help text into the program's help file format (help/hlpfile.h).
//   mkhelp <source.txt (UTF-8)> <out.HLP>
// Source markup, one construct a line:
//   = Title             starts a topic; the first topic is the contents page
//   keywords: a, b      the topic's index keywords (right after its title)
//   == Heading          a heading line
//   # ...               a comment, dropped
// Other lines are text; a text line right under another joins its paragraph
// unless it starts with "- ", "・", "[[" or a space, or follows a list line.
// A blank line ends a paragraph.
// Anywhere in a line, [[Title]] or [[Title|text]] links to another topic.
// Every link must name an existing topic, so a broken link fails the build.
#include <iconv.h>

#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "help/hlpfile.h"

namespace {

std::string g_source;
int g_line = 0;

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "%s:%d: %s\n", g_source.c_str(), g_line, what.c_str());
    std::exit(1);
}

std::string ToCp932(const std::string& utf8) {
    static iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) Fail("no UTF-8 to CP932 conversion");
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string out(utf8.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* o = &out[0];
    size_t outLeft = out.size();
    if (iconv(cd, &in, &inLeft, &o, &outLeft) == static_cast<size_t>(-1))
        Fail("text not representable in code page 932: " + utf8);
    out.resize(out.size() - outLeft);
    if (out.size() > 0xFFFF) Fail("text too long");
    return out;
}

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return std::string();
    size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

struct PendingLink {
    int topic;
    size_t run;
    std::string title;
    int line;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: mkhelp <source.txt> <out.HLP>\n");
        return 2;
    }
    g_source = argv[1];
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) Fail("cannot read");

    hlp::File file;
    std::map<std::string, int> byTitle;  // UTF-8 title -> topic
    std::vector<PendingLink> links;
    std::string line;
    bool afterTitle = false;
    bool prevText = false;  // the line before was text (a paragraph goes on)
    bool prevList = false;  // ...a list line, which nothing joins
    while (std::getline(in, line)) {
        ++g_line;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.compare(0, 2, "= ") == 0) {
            std::string title = Trim(line.substr(2));
            if (title.empty()) Fail("empty topic title");
            if (!byTitle.emplace(title, static_cast<int>(file.topics.size())).second)
                Fail("second topic named " + title);
            file.topics.emplace_back();
            file.topics.back().title = ToCp932(title);
            afterTitle = true;
            prevText = false;
            continue;
        }
        if (!line.empty() && line[0] == '#') continue;
        if (file.topics.empty()) {
            if (Trim(line).empty()) continue;
            Fail("text before the first topic");
        }
        hlp::Topic& topic = file.topics.back();
        if (afterTitle && line.compare(0, 9, "keywords:") == 0) {
            std::stringstream list(line.substr(9));
            std::string k;
            while (std::getline(list, k, ',')) {
                k = Trim(k);
                if (!k.empty()) topic.keywords.push_back(ToCp932(k));
            }
            continue;
        }
        // Blank lines right under the title are layout in the source only.
        if (afterTitle && Trim(line).empty()) continue;
        afterTitle = false;
        if (line.compare(0, 3, "== ") == 0) {
            prevText = false;
            topic.runs.push_back({hlp::kHeading, 0, ToCp932(Trim(line.substr(3)))});
            topic.runs.push_back({hlp::kLineEnd, 0, ""});
            continue;
        }
        // A line that goes on from a text line joins its paragraph, so the
        // viewer wraps it; list lines ("- ", "・") and indented ones stay apart.
        bool joins = prevText && !prevList && !line.empty() && line[0] != ' ' && line.compare(0, 2, "- ") != 0 &&
                     line.compare(0, 3, "・") != 0 && line.compare(0, 2, "[[") != 0;
        if (joins && !topic.runs.empty() && topic.runs.back().kind == hlp::kLineEnd) topic.runs.pop_back();
        prevText = !Trim(line).empty();
        prevList = line.compare(0, 2, "- ") == 0 || line.compare(0, 3, "・") == 0;
        size_t pos = 0;
        while (pos < line.size()) {
            size_t open = line.find("[[", pos);
            if (open == std::string::npos) open = line.size();
            if (open > pos) topic.runs.push_back({hlp::kText, 0, ToCp932(line.substr(pos, open - pos))});
            if (open == line.size()) break;
            size_t close = line.find("]]", open + 2);
            if (close == std::string::npos) Fail("link without ]]");
            std::string inner = line.substr(open + 2, close - open - 2);
            size_t bar = inner.find('|');
            std::string target = Trim(inner.substr(0, bar));
            std::string shown = bar == std::string::npos ? target : Trim(inner.substr(bar + 1));
            if (target.empty() || shown.empty()) Fail("empty link");
            links.push_back({static_cast<int>(file.topics.size() - 1), topic.runs.size(), target, g_line});
            topic.runs.push_back({hlp::kLink, 0, ToCp932(shown)});
            pos = close + 2;
        }
        topic.runs.push_back({hlp::kLineEnd, 0, ""});
    }
    if (file.topics.empty()) Fail("no topics");
    if (file.topics.size() > hlp::kMaxTopics) Fail("too many topics");
    for (const PendingLink& l : links) {
        auto it = byTitle.find(l.title);
        g_line = l.line;
        if (it == byTitle.end()) Fail("link to a missing topic: " + l.title);
        file.topics[l.topic].runs[l.run].target = static_cast<uint16_t>(it->second);
    }
    // Trailing empty lines of a topic show as nothing but scroll space.
    for (hlp::Topic& t : file.topics)
        while (t.runs.size() >= 2 && t.runs.back().kind == hlp::kLineEnd &&
               t.runs[t.runs.size() - 2].kind == hlp::kLineEnd)
            t.runs.pop_back();

    std::vector<uint8_t> bytes = hlp::Write(file);
    hlp::File check;
    if (!hlp::Parse(bytes.data(), bytes.size(), &check)) Fail("written file does not read back");
    std::ofstream out(argv[2], std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "%s: cannot write\n", argv[2]);
        return 1;
    }
    return 0;
}
