// The main of every test executable: sets up the test environment (see
// TestEnvironment.h; the build folder comes from the build) with widgets
// drawn offscreen, then runs GoogleTest.
#include "TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    // Widgets are driven without a display (unless the caller chose one).
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const testsupport::TestEnvironment environment(TAVEMO_TEST_BIN_DIR);

    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
