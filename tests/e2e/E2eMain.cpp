#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv)
{
    // Progress shows up in ctest's log even when a test hangs until its timeout.
    setvbuf(stdout, nullptr, _IONBF, 0);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
