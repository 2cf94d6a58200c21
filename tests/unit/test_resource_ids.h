#pragma once
// Resources of the control tests (test_resources.rc). The numbers stay clear
// of the program's own resources, which the tests link as well.

// Menus.
#define IDM_TEST_FILE_EDIT      9001
#define IDM_TEST_NESTED         9002
#define IDM_TEST_POPUP          9003

#define ID_TEST_OPEN            9101
#define ID_TEST_PROPERTIES      9102
#define ID_TEST_EXIT            9103
#define ID_TEST_CUT             9111
#define ID_TEST_PASTE           9112
#define ID_TEST_ALPHA           9201
#define ID_TEST_BETA            9211
#define ID_TEST_GAMMA           9221
#define ID_TEST_DELTA           9231

// Toolbars and their bitmaps (same ids).
#define IDT_TEST_TOOLBAR16      9401
#define IDT_TEST_TOOLBAR256     9402

// A dialog with three buttons in tab order.
#define IDD_TEST_BUTTONS        9501
#define IDC_TEST_FIRST          9511
#define IDC_TEST_SECOND         9512
#define IDC_TEST_THIRD          9513
