// Reading back what WordPad's formatting did, from the RTF of its copied
// document: plain text in, counts out, so tests can feed it by hand.
#pragma once
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

namespace wordpad {

// How often the control word \<word> stands in rtf without a parameter:
// "\b" turns bold on, "\b0" off. A word ends at the first non-letter.
inline int ControlWords(const std::string& rtf, const char* word) {
    int n = 0;
    size_t len = std::strlen(word);
    for (size_t i = 0; i < rtf.size(); ++i) {
        if (rtf[i] != '\\') continue;
        size_t j = i + 1;
        while (j < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[j]))) ++j;
        bool numbered =
            j < rtf.size() && (std::isdigit(static_cast<unsigned char>(rtf[j])) || rtf[j] == '-');
        if (j - i - 1 == len && rtf.compare(i + 1, len, word) == 0 && !numbered) ++n;
        if (j == i + 1) ++j;  // "\\", "\'xx": skip the escaped character
        i = j - 1;
    }
    return n;
}

// What the formatting leaves once the last paragraph's two changes are
// undone: the words bold, italic or underlined in turn, their paragraphs
// centred, right-aligned or left (the default, not written). The writer
// marks where a format starts, and no two neighbours share an alignment,
// so each change is one control word.
struct Formatting {
    int bold = 0, italic = 0, underline = 0, centred = 0, right = 0;
    bool operator==(const Formatting& o) const {
        return bold == o.bold && italic == o.italic && underline == o.underline &&
               centred == o.centred && right == o.right;
    }
};

inline Formatting Expected(int paragraphs) {
    Formatting f;
    for (int i = 0; i < paragraphs - 1; ++i) {
        if (i % 3 == 0) ++f.bold, ++f.centred;
        if (i % 3 == 1) ++f.italic, ++f.right;
        if (i % 3 == 2) ++f.underline;
    }
    return f;
}

inline Formatting Found(const std::string& rtf) {
    Formatting f;
    f.bold = ControlWords(rtf, "b");
    f.italic = ControlWords(rtf, "i");
    f.underline = ControlWords(rtf, "ul");
    f.centred = ControlWords(rtf, "qc");
    f.right = ControlWords(rtf, "qr");
    return f;
}

inline std::string Describe(const Formatting& f) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "bold %d, italic %d, underlined %d, centred %d, right %d",
                  f.bold, f.italic, f.underline, f.centred, f.right);
    return buf;
}

}  // namespace wordpad
