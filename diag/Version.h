// The tool's version, as --version, the About box and the package name it:
// the project's version, with +git<count>.<hash> between releases. The text
// is written at every build (cmake/Version.cmake), so that only its one
// source file is compiled again when the commit changes.
//
// Thread rules: a constant, callable from any thread.
#pragma once

const char* TavemoVersion();
