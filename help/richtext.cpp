#include "help/richtext.h"

#include <cstdint>

namespace hlp {
namespace {

// "ＭＳ Ｐゴシック" and "（以下省略）" in code page 932: this file is also
// built by the host compiler, whose strings are UTF-8.
const char kFace[] = "\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e";
const char kCutNote[] = "\x81\x69\x88\xc8\x89\xba\x8f\xc8\x97\xaa\x81\x6a";

bool Lead(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool Trail(uint8_t b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }
bool Kana(uint8_t b) { return b >= 0xA1 && b <= 0xDF; }

void Hex(std::string* out, uint8_t b) {
    const char digits[] = "0123456789abcdef";
    *out += "\\'";
    *out += digits[b >> 4];
    *out += digits[b & 15];
}

std::string Header() {
    std::string h = "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fnil\\fcharset128 ";
    for (const char* p = kFace; *p; ++p) {
        uint8_t b = static_cast<uint8_t>(*p);
        if (b < 0x80) h += *p; else Hex(&h, b);
    }
    h += ";}}{\\colortbl ;\\red0\\green0\\blue0;\\red0\\green0\\blue128;\\red0\\green0\\blue255;}\\pard\n";
    return h;
}

// Formats of the groups: colour 1 black, 2 navy, 3 blue; sizes in half points.
const char kTitleFormat[] = "{\\f0\\fs30\\b\\cf2 ";
const char kHeadingFormat[] = "{\\f0\\fs24\\b\\cf2 ";
const char kTextFormat[] = "{\\f0\\fs20\\cf1 ";
const char kLinkFormat[] = "{\\f0\\fs20\\ul\\cf3 ";

class Builder {
public:
    explicit Builder(const TextMetrics& m) : m_(m) { out_.rtf = Header(); }

    // Text bytes of one run in one format. Bytes that are not code page 932
    // text show as "?", so every byte sequence counts the same here as in
    // the control. Spaces are no-break spaces: Wine's rich edit wraps only at
    // spaces while a line has any, which cut Japanese lines short.
    // Returns where the run's text ends.
    long Text(const char* format, const std::string& s) {
        if (cut_ || s.empty()) return out_.length;
        if (lines_ >= kMaxShownLines || ++runs_ > kMaxShownRuns) {
            long end = out_.length;
            Cut();
            return end;
        }
        out_.rtf += format;
        size_t i = 0;
        for (; i < s.size() && out_.length < kMaxShownChars && lines_ < kMaxShownLines; ++i) {
            if (lineChars_ >= kMaxLineChars) {
                out_.rtf += "\\par\n";
                NewLine();
            }
            ++lineChars_;
            uint8_t b = static_cast<uint8_t>(s[i]);
            if (Lead(b) && i + 1 < s.size() && Trail(static_cast<uint8_t>(s[i + 1]))) {
                Hex(&out_.rtf, b);
                Hex(&out_.rtf, static_cast<uint8_t>(s[++i]));
                out_.length += m_.dbcsWidth;
                continue;
            }
            if (b == ' ') out_.rtf += "\\~";
            else if (b == '\t') out_.rtf += "\\tab ";
            else if (b == '\\' || b == '{' || b == '}') (out_.rtf += '\\') += static_cast<char>(b);
            else if (b > 0x20 && b < 0x7F) out_.rtf += static_cast<char>(b);
            else if (Kana(b)) Hex(&out_.rtf, b);
            else out_.rtf += '?';
            ++out_.length;
        }
        out_.rtf += "}";
        long end = out_.length;
        if (i < s.size()) Cut();
        return end;
    }
    void Link(const std::string& s, int target) {
        long first = out_.length;
        long end = Text(kLinkFormat, s);
        if (end > first) out_.links.push_back({first, end, target});
    }
    // Line ends past the last line shown are dropped; only text left out
    // earns the note.
    void LineEnd() {
        if (cut_ || lines_ >= kMaxShownLines) return;
        out_.rtf += "\\par\n";
        NewLine();
    }
    RichText Done() {
        out_.rtf += "}";
        return std::move(out_);
    }

private:
    void NewLine() {
        out_.length += m_.lineEndWidth;
        ++lines_;
        lineChars_ = 0;
    }
    // The rest of the topic is left out, and a note on its own line says so.
    void Cut() {
        out_.rtf += "\\par\n";
        NewLine();
        out_.rtf += kTextFormat;
        for (const char* p = kCutNote; *p; ++p) Hex(&out_.rtf, static_cast<uint8_t>(*p));
        out_.rtf += "}";
        out_.length += static_cast<long>(sizeof kCutNote - 1) / 2 * m_.dbcsWidth;
        cut_ = true;
    }

    TextMetrics m_;
    RichText out_;
    bool cut_ = false;
    long runs_ = 0;       // runs with text so far
    long lines_ = 0;      // line ends so far
    long lineChars_ = 0;  // characters on the current line
};

}  // namespace

RichText TopicRtf(const std::string& title, const std::vector<Run>& runs, const TextMetrics& metrics) {
    Builder b(metrics);
    b.Text(kTitleFormat, title);
    b.LineEnd();
    for (const Run& run : runs) {
        switch (run.kind) {
        case kText: b.Text(kTextFormat, run.text); break;
        case kHeading: b.Text(kHeadingFormat, run.text); break;
        case kLink: b.Link(run.text, run.target); break;
        case kLineEnd: b.LineEnd(); break;
        }
    }
    return b.Done();
}

std::string ProbeRtf(Probe probe) {
    std::string rtf = Header();
    switch (probe) {
    case kProbePlain: rtf += "{\\f0 xx}"; break;
    case kProbeDbcs: rtf += "{\\f0 x\\'82\\'a0x}"; break;
    case kProbeLineEnd: rtf += "{\\f0 x}\\par\n{\\f0 x}"; break;
    }
    return rtf + "}";
}

}  // namespace hlp
