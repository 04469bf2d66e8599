// Precompiled for the tests that drive widgets: GoogleTest and the widget
// headers. (Not Qt Test: its header depends on each test's own build folder.)
#include "ui.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <thread>
