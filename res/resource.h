/* Resource and control ids of ZELBR.
 * Shared by zelbr.rc and the C++ sources; plain #defines only, so that
 * windres can read it too. */
#ifndef ZELBR_RESOURCE_H
#define ZELBR_RESOURCE_H

/* Version (1.0.0.5); the build may pass its own values. */
#ifndef ZELBR_VER_MAJOR
#define ZELBR_VER_MAJOR 1
#endif
#ifndef ZELBR_VER_MINOR
#define ZELBR_VER_MINOR 0
#endif
#ifndef ZELBR_VER_BUILD
#define ZELBR_VER_BUILD 0
#endif
#ifndef ZELBR_VER_REV
#define ZELBR_VER_REV 5
#endif

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

/* Dialog templates */
#define IDD_ABOUT               100
#define IDD_SYSINFO             143
#define IDD_ITEMEDIT            144
#define IDD_MAIN                102
#define IDD_PRECISION           151
#define IDD_WARNING             152
#define IDD_POSITION            153
#define IDD_RUNCOUNT            155
#define IDD_CONFIRMSTART        171
#define IDD_DISPMODE            172

/* Icon */
#define IDI_MAIN                128

/* Buttons several dialogs share (OK is IDOK, cancel IDCANCEL) */
#define IDC_HELPBTN             9
#define IDC_UPDATE              1108

/* Main dialog: tool buttons (the close button is IDOK) */
#define IDC_CLIPCOPY            1021
#define IDC_SAVETEXT            1022
#define IDC_EDITINFO            1023
#define IDC_EDITITEM            1024
#define IDC_SAVEITEM            1025
#define IDC_LOADITEM            1026
#define IDC_SELLEVEL            1027
#define IDC_SETWARN             1028
#define IDC_SETPOS              1029
#define IDC_ABOUT               1031
#define IDC_SELDISP             1116
#define IDC_HELPFINDER          57670

/* Main dialog: eleven rows; row 0 measures all items, row k is item slot k-1 */
#define IDC_ITEMBTN_FIRST       1008    /* ... 1018 */
#define IDC_ITEMBTN_LAST        1018
#define IDC_NUMLED_FIRST        1044    /* ... 1054 */
#define IDC_NUMLED_LAST         1054
#define IDC_LEVELLED_FIRST      1055    /* ... 1065 */
#define IDC_LEVELLED_LAST       1065
#define IDC_ROW_COUNT           11

/* Main dialog: system information values, in this order: CPU, clock,
 * L1 cache, L2 cache, memory, disk controller, disk, graphics card,
 * resolution, colours, network card, sound card, comment. */
#define IDC_SYSINFO_FIRST       1069    /* ... 1081 */
#define IDC_SYSINFO_LAST        1081
#define IDC_SYSINFO_COUNT       13

#define IDC_VERSIONLINE         1042
#define IDC_LOGO                1144

/* About box */
#define IDC_ABOUT_VERSION       1125

/* Precision */
#define IDC_PREC_SIMPLE         1128
#define IDC_PREC_PRECISE        1129

/* Warning settings (1021 is free to reuse here: a different dialog) */
#define IDC_WARN_CLIPBOARD      1021
#define IDC_WARN_RUNNUMBER      1142
#define IDC_WARN_CONFIRM        1143

/* Start-up position (the third radio button reuses 1029) */
#define IDC_POS_CENTER          1131
#define IDC_POS_ATEXIT          1132
#define IDC_POS_SPECIFIED       1029
#define IDC_POS_X               1135
#define IDC_POS_XSPIN           1136
#define IDC_POS_Y               1137
#define IDC_POS_YSPIN           1138
#define IDC_POS_KEEPINSIDE      1139

/* System information editor: one control a field, in record order
 * (CPU, clock, L1, L2, memory, disk controller, disk, graphics card,
 * resolution, colours, network card, sound card, comment) */
#define IDC_SI_CPU              1110
#define IDC_SI_CLOCK            1098
#define IDC_SI_CLOCKSPIN        1099
#define IDC_SI_L1               1090
#define IDC_SI_L1SPIN           1105
#define IDC_SI_L2               1091
#define IDC_SI_L2SPIN           1106
#define IDC_SI_MEM              1111
#define IDC_SI_DISKCTRL         1093
#define IDC_SI_DISK             1094
#define IDC_SI_GRAPHIC          1095
#define IDC_SI_RESO             1112
#define IDC_SI_COLS             1113
#define IDC_SI_NETCARD          1102
#define IDC_SI_SOUNDCARD        1103
#define IDC_SI_COMMENT          1104

/* Run count */
#define IDC_RUN_PROGRESS        1140
#define IDC_RUN_TEXT            1141

/* Start confirmation */
#define IDC_CONFIRM_TEXT        1146
#define IDC_CONFIRM_ICON        1148

/* Item editor (1125 is the about box's too: a different dialog) */
#define IDC_IE_UP               1118
#define IDC_IE_DOWN             1119
#define IDC_IE_PICTURE          1120
#define IDC_IE_ITEMHELP         1121
#define IDC_IE_LIST             1122
#define IDC_IE_NAME             1123
#define IDC_IE_FILE             1124
#define IDC_IE_VERSION          1125
#define IDC_IE_APP              1126
#define IDC_IE_APPFILE          1127

/* Display mode */
#define IDC_DISP_NORMAL         1149
#define IDC_DISP_SYSINFO        1150

/* System menu entries. The low four bits stay clear: the platform uses
 * them, so WM_SYSCOMMAND ids are compared with them masked off. */
#define IDM_ABOUT               0x10
#define IDM_CLIPCOPY            0x20
#define IDM_SAVETEXT            0x30
#define IDM_EDITINFO            0x40
#define IDM_EDITITEM            0x50
#define IDM_SAVEITEM            0x60
#define IDM_LOADITEM            0x70
#define IDM_SELLEVEL            0x80
#define IDM_SETWARN             0x90
#define IDM_SETPOS              0xA0
#define IDM_SELDISP             0xB0
#define IDM_HELPFINDER          0xC0

/* String table. Ids in use:
 *   101          system menu: about
 *   102-105      tool tips (clipboard, text file, edit system info, edit items)
 *   106          (none)
 *   107-115      tool tips (save items ... close); also the compact captions
 *   116          system panel title
 *   117-132      system panel captions (124 "MB" is kept but not shown)
 *   133-136      processor names, 136 also "unknown" for the screen
 *   137          "?" for values that cannot be determined
 *   138          all-items button tool tip and caption
 *   139          empty item slot tool tip
 *   140-150      system menu entries
 * There is deliberately no title string: the title is the exe's base name. */
#define IDS_MENU_ABOUT          101
#define IDS_TIP_CLIPCOPY        102
#define IDS_TIP_SAVETEXT        103
#define IDS_TIP_EDITINFO        104
#define IDS_TIP_EDITITEM        105
#define IDS_TIP_SAVEITEM        107
#define IDS_TIP_LOADITEM        108
#define IDS_TIP_SELLEVEL        109
#define IDS_TIP_SETWARN         110
#define IDS_TIP_SETPOS          111
#define IDS_TIP_SELDISP         112
#define IDS_TIP_HELPFINDER      113
#define IDS_TIP_ABOUT           114
#define IDS_TIP_CLOSE           115
#define IDS_CAP_SYSINFO         116
#define IDS_CAP_CPU             117
#define IDS_CAP_CLOCK           118
#define IDS_CAP_MHZ             119
#define IDS_CAP_L1CACHE         120
#define IDS_CAP_KB              121
#define IDS_CAP_L2CACHE         122
#define IDS_CAP_MEMORY          123
#define IDS_CAP_MB              124
#define IDS_CAP_DISKCTRL        125
#define IDS_CAP_DISK            126
#define IDS_CAP_GRAPHICS        127
#define IDS_CAP_RESOLUTION      128
#define IDS_CAP_COLOURS         129
#define IDS_CAP_NETWORK         130
#define IDS_CAP_SOUND           131
#define IDS_CAP_COMMENT         132
#define IDS_CPU_386             133
#define IDS_CPU_486             134
#define IDS_CPU_PENTIUM         135
#define IDS_UNKNOWN             136
#define IDS_UNDETERMINED        137
#define IDS_ALLITEMS            138
#define IDS_NOITEM              139
#define IDS_MENU_CLIPCOPY       140
#define IDS_MENU_SAVETEXT       141
#define IDS_MENU_EDITINFO       142
#define IDS_MENU_EDITITEM       143
#define IDS_MENU_SAVEITEM       144
#define IDS_MENU_LOADITEM       145
#define IDS_MENU_SELLEVEL       146
#define IDS_MENU_SETWARN        147
#define IDS_MENU_SETPOS         148
#define IDS_MENU_SELDISP        149
#define IDS_MENU_HELPFINDER     150

#endif /* ZELBR_RESOURCE_H */
