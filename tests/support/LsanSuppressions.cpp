// Leaks that belong to the system libraries below Qt (fontconfig keeps its
// configuration for the life of the process); the leak checker of the
// sanitizer build takes these names as known.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
