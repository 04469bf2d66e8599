// The value lists of a channel's rocker keys, the same on every page whose
// channels the unit's keys operate (sun protection, light): how the keys
// are operated, and what the unit saw last.
#pragma once

namespace KeyLists {

inline constexpr const char* kOpModes[] = {"0 = Short-long press", "1 = Hold press", "2 = Setpoint mode"};
inline constexpr const char* kKeyStates[] = {"0 = not pressed", "1 = short down", "2 = long down", "3 = short up",
                                             "4 = long up",     "5 = hold down",  "6 = hold up"};

} // namespace KeyLists
