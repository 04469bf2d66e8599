// The main of every test executable: sets the environment the tests rely on
// (unless the caller set it already), then runs GoogleTest.
//   TAVEMO_BIN_DIR   the build folder, where the tests find tavemo-unitsim
//                    and tavemo-cli
//   QT_QPA_PLATFORM  offscreen: widgets are driven without a display
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    ::setenv("TAVEMO_BIN_DIR", TAVEMO_TEST_BIN_DIR, 0);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
