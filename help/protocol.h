// What the program and the help viewer agree on. The program starts
//   ZBHELP.EXE "<help file>" [-key "<partial keyword>"]
// and a viewer started while another runs hands the request on to it with
// WM_COPYDATA (kCopyDataId; data: help file, NUL, keyword, NUL) and ends, so
// there is only ever one viewer and the program never waits on one.
#pragma once

namespace hlp {

const char kViewerExe[] = "ZBHELP.EXE";
const char kViewerClass[] = "ZelbrHelpViewer";
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
