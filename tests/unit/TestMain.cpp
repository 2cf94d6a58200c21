#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

// Every test program runs with common controls 6 initialised, as the product does.
int main(int argc, char** argv)
{
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&controls);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
