// Writes a sound download file with an image of the given size, for the
// tests that run the command-line tool from a script (scripts/test-windows.sh):
//   make_test_dnl OUT.dnl IMAGE_BYTES [VERSION]
#include "DnlTestFile.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

int main(int argc, char** argv)
{
    if (argc < 3 || argc > 4) {
        std::fputs("usage: make_test_dnl OUT.dnl IMAGE_BYTES [VERSION]\n", stderr);
        return 2;
    }
    const long size = std::strtol(argv[2], nullptr, 10);
    if (size < 8 || size > (16L << 20)) {
        std::fputs("make_test_dnl: IMAGE_BYTES must be 8 to 16 MiB\n", stderr);
        return 2;
    }
    dnltest::DnlSpec layout;
    layout.devices = {"RU-Ctrl", "RU-Touch"};
    layout.image = dnltest::Image(static_cast<std::size_t>(size));
    if (argc == 4)
        layout.version = argv[3];
    const std::vector<uint8_t> bytes = dnltest::Build(layout);
    std::ofstream out(argv[1], std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return out ? 0 : 1;
}
