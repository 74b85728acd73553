// Entry of the logic tests.
#include "support/NoRealPorts.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    HideRealSerialPorts();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
