#pragma once
// Resource and command identifiers. The numbers are fixed: menus, hotkeys and
// other programs (and the tests) rely on them.

#define IDD_ABOUTBOX            100
#define IDD_QUILLARY_DIALOG     102
#define IDD_OPTION              129

#define IDS_ABOUTBOX            101
#define IDS_TRAY_TIP            102
#define IDS_TRAY_TIP_PAUSED     103
#define IDS_HOTKEY_TAKEN        110
#define IDS_HOTKEY_NO_MODIFIER  111
#define IDS_HOTKEY_NO_KEY       112
#define IDS_HISTORY_SIZE_RANGE  113
#define IDS_HISTORY_TRIM        114
#define IDS_CLEAR_ALL_HIDDEN    115
#define IDS_SEARCH_CUE          116
#define IDS_FORGET_DAYS_RANGE   117
// The "Clear the history when Windows is locked" box while Windows gives no notice of locks.
#define IDS_CLEAR_ON_LOCK_WAITING   1700

// What screen readers call the popup's controls.
#define IDS_ACCESS_OPTIONS      1400
#define IDS_ACCESS_OPTIONS_HINT 1401
#define IDS_ACCESS_SEARCH       1402
#define IDS_ACCESS_SEARCH_HINT  1403
#define IDS_ACCESS_LIST         1404
#define IDS_ACCESS_SUMMON_KEY   1405
#define IDS_TYPE_LONG           1500
#define IDS_PASTE_KEY_NO_NAME   1508

#define IDR_MAINFRAME           128
#define IDI_ENTRY_TEXT          130
#define IDI_ENTRY_BITMAP        132
#define IDI_ENTRY_TEXT_TOP      137
#define IDI_ENTRY_BITMAP_TOP    138
#define IDI_ENTRY_FILES         139
#define IDI_ENTRY_FILES_TOP     140
#define IDI_TRAY                150
#define IDI_TRAY_PAUSED         151

#define IDR_TRAY_MENU           134
#define IDR_LIST_MENU           135

#define IDB_BANNER              142

#define IDC_BUTTON_OPTIONS      1004
#define IDC_LIST_HISTORY        1005
#define IDC_EDIT_BEFORE         1006
#define IDC_CHECK_AUTORUN       1007
#define IDC_EDIT_AFTER          1008
#define IDC_CHECK_COMPOUND      1009
#define IDC_EDIT_SEARCH         1010
#define IDC_LINK_SUPPORT        1017
#define IDC_LINK_HOME           1019
#define IDC_HOTKEY_SUMMON           1020
#define IDC_EDIT_HISTORY_SIZE       1021
#define IDC_CHECK_NO_REPEATS        1022
#define IDC_CHECK_RECORD_PICTURES   1023
#define IDC_EDIT_IGNORED_PROGRAMS   1024
#define IDC_CHECK_CLEAR_ON_LOCK     1025
#define IDC_CHECK_FORGET_OLD        1026
#define IDC_EDIT_FORGET_DAYS        1027
#define IDC_CHECK_ENCRYPT           1028
#define IDC_CHECK_SHARE             1600
#define IDC_EDIT_SHARE_FOLDER       1601
#define IDC_BUTTON_SHARE_BROWSE     1602
#define IDC_EDIT_SHARE_PASSPHRASE   1603
#define IDC_STATIC_SHARE_KEY        1604
#define IDC_EDIT_SHARE_FORMATS      1605
#define IDC_CHECK_SHARE_PICTURES    1606
// The popup's live region, in which searches are told to screen readers.
#define IDC_SEARCH_NEWS             1410
#define IDD_PASTE_KEYS              1501
#define IDC_BUTTON_PASTE_KEYS       1502
#define IDC_LIST_PASTE_KEYS         1503
#define IDC_EDIT_PASTE_PROGRAM      1504
#define IDC_COMBO_PASTE_KEY         1505
#define IDC_BUTTON_PASTE_SET        1506
#define IDC_BUTTON_PASTE_REMOVE     1507

#define ID_SYSMENU_ABOUT        16

#define ID_MENU_OPTION          32771
#define ID_MENU_EXIT            32773
#define ID_MENU_SET_TOP         32775
#define ID_MENU_DELETE          32776
#define ID_MENU_CLEAR_ALL       32777
#define ID_MENU_PASTE_TO        32778
#define ID_MENU_ABOUT           32780
#define ID_MENU_HELP            32782
#define ID_MENU_PAUSE           32784
#define ID_MENU_PASTE_PLAIN     32785
#define ID_MENU_TYPE_IT         33200

#define IDC_STATIC              (-1)
