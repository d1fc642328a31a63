// A topic as one RTF text for the viewer's rich edit, streamed in at once
// (one message however many runs the topic has), and where its links land.
// Rich Edit 1.0 reads this RTF as well as 2.0 does. Plain C++ so the host
// tests check the escaping and the link positions.
#pragma once
#include <string>
#include <vector>

#include "help/hlpfile.h"

namespace hlp {

// How the rich edit counts character positions: a double-byte character
// and a line end take one or two positions, depending on the version.
struct TextMetrics {
    int dbcsWidth = 1;
    int lineEndWidth = 1;
};

struct LinkSpan {
    long first, last;  // character positions, last exclusive
    int target;
};

struct RichText {
    std::string rtf;
    std::vector<LinkSpan> links;  // in text order
    long length = 0;              // character positions of the whole text
};

// More text, lines or runs of text (the title one of them) than this are not shown; a note says
// the rest is left out. Longer paragraphs are broken into lines of
// kMaxLineChars. A rich edit (Wine's, at least) takes seconds to lay out
// long paragraphs or many runs; a manual page has a few hundred runs.
const long kMaxShownChars = 20000;
const long kMaxShownLines = 1000;
const long kMaxShownRuns = 2000;
const long kMaxLineChars = 500;

// The topic's title as a heading line, then its runs.
RichText TopicRtf(const std::string& title, const std::vector<Run>& runs, const TextMetrics& metrics);

// What the viewer streams in to learn the metrics: the positions of "xx",
// of "x" + a double-byte character + "x", and of "x" + line end + "x".
enum Probe { kProbePlain, kProbeDbcs, kProbeLineEnd };
std::string ProbeRtf(Probe probe);

}  // namespace hlp
