#include "diag/Logger.h"

#include "diag/CDebugLines.h"

#include <cstdio>

Logger& Logger::Instance()
{
    static Logger* instance = new Logger; // lives to the end of the process
    return *instance;
}

LogSink* Logger::SetSink(LogSink* sink)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    LogSink* previous = m_sink;
    m_sink = sink;
    return previous;
}

const char* Logger::LevelTag(int level)
{
    switch (level) {
    case 0: return "[FATAL ";
    case 1: return "[ERROR ";
    case 2: return "[WARN  ";
    case 3: return "[INFO  ";
    case 4: return "[DEBUG ";
    default: return "[      ";
    }
}

const char* Logger::ModuleTag(int module)
{
    switch (module) {
    case 1: return "Appl  ] ";
    case 2: return "Gui   ] ";
    case 3: return "SerCom] ";
    case 4: return "SerLib] ";
    case 5: return "OS    ] ";
    case 6: return "ExtDev] ";
    case 7: return "SLIP  ] ";
    case 8: return "DNLP  ] ";
    case 9: return "SWDL  ] ";
    case 10: return "DNLF  ] ";
    default: return "---   ] ";
    }
}

int Logger::LevelHint(int level) { return level == 0 || level == 1 ? 2 : 0; }

int Logger::ModuleHint(int module)
{
    switch (module) {
    case 3: return 5;
    case 4: return 3;
    case 6: return 5;
    default: return 0;
    }
}

void Logger::log(LogModule module, LogLevel level, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    vlog(module, level, format, args);
    va_end(args);
}

void Logger::vlog(LogModule module, LogLevel level, const char* format, va_list args)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_sink)
        return;
    const int lv = static_cast<int>(level);
    const int md = static_cast<int>(module);
    // The time-stamp field is empty: the line starts with one space.
    std::string line = " ";
    line += LevelTag(lv);
    line += ModuleTag(md);
    char text[kMaxLine + 1];
    std::vsnprintf(text, sizeof text, format ? format : "", args);
    // The adapter's lines may carry the PIN: never in a log.
    line += CDebugLines::Masked(text);
    if (line.size() > kMaxLine)
        line.resize(kMaxLine);
    line += "\r\n";
    m_sink->write(std::move(line), LevelHint(lv), ModuleHint(md));
}
