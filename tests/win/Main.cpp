// The Windows program's window tests: the common controls ready first.
#include <gtest/gtest.h>

#include "win/Program.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    kestrove::win::InitControls();
    return RUN_ALL_TESTS();
}
