// The download parts write every line under module SWDL at level INFO.
// A macro, so that the compiler checks each format against its arguments.
#pragma once

#include "diag/Logger.h"

#define SWDL_LOG(...) Logger::Instance().log(LogModule::SWDL, LogLevel::INFO, __VA_ARGS__)
