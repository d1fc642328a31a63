// What the program and the help viewer agree on. The program starts
//   ZBHELP.EXE "<help file>" [-key "<partial keyword>"] [-owner <handle>]
// where -owner is an inherited handle of the program's own process: the
// viewer ends with the program, also when it was still starting as the
// program closed or is too busy to take the program's WM_CLOSE. A viewer
// started while another runs or starts (the mutex kViewerMutex exists) hands
// the request on to it with WM_COPYDATA (kCopyDataId; data: help file, NUL,
// keyword, NUL) and ends, so there is only ever one viewer and the program
// never waits on one.
#pragma once

namespace hlp {

const char kViewerExe[] = "ZBHELP.EXE";
const char kViewerClass[] = "ZelbrHelpViewer";
const char kViewerMutex[] = "ZelbrHelpViewerRunning";  // held by the viewer that has or makes the window
const unsigned long kCopyDataId = 0x5A42484C;  // "ZBHL"

// Control ids of the viewer window, also read by the GUI tests.
enum ViewerId {
    kIdContents = 101,  // list box: topic titles
    kIdKeyEdit = 103,   // edit: filters the keyword list by prefix
    kIdKeyList = 104,   // list box: keywords
    kIdBack = 105,      // "戻る"
    kIdTitle = 106,     // static: the shown topic's title
    kIdText = 107,      // rich edit: the topic's text
};

}  // namespace hlp
