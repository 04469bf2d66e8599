// Collects the shared logger's lines while it lives.
#pragma once

#include "diag/Logger.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

class LogCapture : public LogSink
{
public:
    LogCapture() { m_previous = Logger::Instance().SetSink(this); }
    ~LogCapture() override { Logger::Instance().SetSink(m_previous); }
    void write(std::string line, int, int) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_lines.push_back(std::move(line));
    }
    // The texts without " [INFO  SWDL  ] " and CR LF.
    std::vector<std::string> texts() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::vector<std::string> out;
        for (const auto& l : m_lines)
            out.push_back(l.size() >= 18 ? l.substr(16, l.size() - 18) : l);
        return out;
    }
    bool has(const std::string& text) const
    {
        const auto t = texts();
        return std::find(t.begin(), t.end(), text) != t.end();
    }
    std::size_t count(const std::string& text) const
    {
        const auto t = texts();
        return static_cast<std::size_t>(std::count(t.begin(), t.end(), text));
    }
    void clear()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_lines.clear();
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
    LogSink* m_previous = nullptr;
};
