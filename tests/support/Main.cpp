// The test program's entry: tests start without any drive mapped, so none
// of them touches the user's real home directory by accident.
#include <gtest/gtest.h>

#include "platform/Paths.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    kestrove::platform::ClearDriveMap();
    return RUN_ALL_TESTS();
}
