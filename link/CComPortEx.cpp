#include "link/CComPortEx.h"

#include "diag/Logger.h"
#include "diag/Result.h"
#include "link/IComReceiver.h"
#include "link/IComStatusOwner.h"

#include <memory>

// The wake-up lets stopReceiver end the thread's waits at once; without one
// the thread still ends, after its current wait.
CComPortEx::CComPortEx() { enableWake(); }

CComPortEx::~CComPortEx()
{
    stopReceiver();
    m_ports.clear();
    CComPort::close();
}

int CComPortEx::enumeratePorts()
{
    m_ports = EnumeratePorts(m_roots);
    return static_cast<int>(m_ports.size());
}

void CComPortEx::selectPort(const std::string& name)
{
    enumeratePorts();
    int match = -1;
    for (std::size_t i = 0; i < m_ports.size(); ++i)
        if (m_ports[i].name == name)
            match = static_cast<int>(i);
    // A device path picks its entry too (the command-line tool takes both):
    // "/dev/ttyUSB0", "\\.\COM7".
    if (match < 0)
        for (std::size_t i = 0; i < m_ports.size(); ++i)
            if (m_ports[i].device == name)
                match = static_cast<int>(i);
    close();
    m_selectedPort = match;
    if (match >= 0)
        open(m_ports[static_cast<std::size_t>(match)].device, 115200, kStopBitsOne, kParityNone);
}

int CComPortEx::startReceiver()
{
    if (onReceiveThread())
        return Result::NoPortSelected; // the thread cannot restart itself
    stopReceiver();
    if (m_selectedPort < 0 || m_selectedPort >= static_cast<int>(m_ports.size()))
        return Result::NoPortSelected;
    m_stop.store(false);
    m_gone.store(false);
    m_running.store(true);
    m_thread = std::thread(&CComPortEx::receiveThread, this);
    return Result::Ok;
}

void CComPortEx::stopReceiver()
{
    m_stop.store(true);
    if (!m_thread.joinable() || onReceiveThread())
        return;
    wake();
    m_thread.join();
    clearWake();
}

void CComPortEx::close()
{
    if (!onReceiveThread())
        stopReceiver();
    CComPort::close();
}

void CComPortEx::receiveThread()
{
    const auto pause = [this]() { sleepFor(kIdlePauseMs); };
    auto line = std::make_unique<uint8_t[]>(kLineBufferSize);
    int count = 0;
    char byte[2];
    while (!m_stop.load()) {
        if (!isOpen()) {
            pause();
            continue;
        }
        const int got = getArray(byte, 1, nullptr, kReceiveTimeoutMs);
        if (got == Result::PortGone) {
            m_gone.store(true);
            break;
        }
        if (got <= 0) {
            pause();
            continue;
        }
        const auto b = static_cast<uint8_t>(byte[0]);
        if (count < kLineBufferSize)
            line[static_cast<std::size_t>(count++)] = b;
        if ((b == '\r' || b == '\n') && count > 0) {
            Logger& log = m_statusOwner ? m_statusOwner->rxLogger() : Logger::Instance();
            log.log(LogModule::Appl, LogLevel::INFO, "serial port state: %s", "connected");
            const bool taken = m_receiver && m_receiver->processRx(line.get(), count);
            if (!taken) {
                line[static_cast<std::size_t>(count - 1)] = 0;
                log.log(LogModule::ExtDev, LogLevel::INFO, "%s", reinterpret_cast<const char*>(line.get()));
            }
            if (m_statusOwner && m_statusOwner->downloadFinished())
                m_stop.store(true);
            count = 0;
        }
    }
    m_running.store(false);
}
