// The shared log formatter of the download parts and the serial receive
// thread. Each call builds one line,
//   " " + level tag + module tag + text + "\r\n"
// (at most 1021 characters before the CR LF) and hands it to the attached
// sink together with two hints a sink may use to colour or route the line.
// With no sink attached a call does nothing.
//
// Thread rules: Log may be called from any thread; one mutex serialises the
// formatting and the sink call (the sink runs under it, so it must not log).
#pragma once

#include <cstdarg>
#include <mutex>
#include <string>

enum class LogLevel : int { FATAL = 0, ERROR = 1, WARN = 2, INFO = 3, DEBUG = 4 };

enum class LogModule : int {
    Appl = 1,
    Gui = 2,
    SerCom = 3,
    SerLib = 4,
    OS = 5,
    ExtDev = 6,
    SLIP = 7,
    DNLP = 8,
    SWDL = 9,
    DNLF = 10,
};

class LogSink
{
public:
    virtual ~LogSink() = default;
    // line: the finished line including CR LF; levelHint 2 for FATAL and
    // ERROR, else 0; moduleHint 5 SerCom/ExtDev, 3 SerLib, else 0.
    virtual void write(std::string line, int levelHint, int moduleHint) = 0;
};

class Logger
{
public:
    static constexpr std::size_t kMaxLine = 1021; // characters before CR LF

    // The one shared instance, created on first use and never destroyed.
    static Logger& Instance();

    // Attaches a sink (null detaches); returns the previous one.
    LogSink* SetSink(LogSink* sink);

    void log(LogModule module, LogLevel level, const char* format, ...)
        __attribute__((format(printf, 4, 5)));
    void vlog(LogModule module, LogLevel level, const char* format, va_list args);

    // The pieces of a line, also used by tests.
    static const char* LevelTag(int level);
    static const char* ModuleTag(int module);
    static int LevelHint(int level);
    static int ModuleHint(int module);

private:
    Logger() = default;
    std::mutex m_mutex;
    LogSink* m_sink = nullptr;
};
