// The "Addr: A; Val: V" pairs of a text configuration export, as the write
// commands that carry them to a unit ("Mw2009 1"), in file order: what an
// import of the file should send.
//
// Thread rules: a pure function.
#pragma once

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace testsupport {

inline std::vector<std::string> WritesOf(const std::string& csv)
{
    std::vector<std::string> writes;
    std::istringstream in(csv);
    for (std::string line; std::getline(in, line);) {
        unsigned a = 0, v = 0;
        if (std::sscanf(line.c_str(), "Addr: %u; Val: %u;", &a, &v) == 2)
            writes.push_back("Mw" + std::to_string(a) + " " + std::to_string(v));
    }
    return writes;
}

} // namespace testsupport
