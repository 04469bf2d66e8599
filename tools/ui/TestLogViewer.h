// Shows the test log in the desktop's viewer for text files ("Help" > "Open
// Test Log" and the button on the test pages). Before the first test there
// is no file yet; the status line says so instead.
//
// Thread rules: user-interface thread only.
#pragma once

class CTestLog;
class IPageHost;

namespace TestLogViewer {

// The status text when no test has run yet in this run of the tool.
inline constexpr const char* kNoTestYet = "No test has run yet: the test log starts with the first test.";
// The status text when the desktop has no viewer to show it.
inline constexpr const char* kNotShown = "Error: the test log could not be shown: ";

// true when the desktop took the file; otherwise the status line says why.
bool Open(const CTestLog* log, IPageHost& host);

} // namespace TestLogViewer
