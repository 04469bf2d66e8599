#include "update/CAppl.h"

#include "diag/Logger.h"
#include "diag/Result.h"

#include <chrono>
#include <cstring>

CAppl::CAppl(void* owner)
    : m_owner(owner), m_rxLine(std::make_unique<uint8_t[]>(CComPortEx::kLineBufferSize))
{
    m_port.setReceiver(this);
    m_port.setStatusOwner(this);
    m_swdl.setTransmitter(this);
}

CAppl::~CAppl()
{
    // Selecting nothing stops the receive thread and closes the handle.
    m_port.selectPort("");
    m_swdl.reset();
    m_swdl.setTransmitter(nullptr);
}

int CAppl::LoadDNL(const std::string& path) { return m_swdl.LoadDNL(path); }

void CAppl::openPort(const std::string& name) { m_port.selectPort(name); }

int CAppl::startReceiver() { return m_port.startReceiver(); }

int CAppl::Start()
{
    m_writeGone.store(false);
    return m_swdl.Start();
}

Logger& CAppl::rxLogger() { return Logger::Instance(); }

bool CAppl::transmit(const uint8_t* bytes, int32_t length)
{
    const int selected = m_port.selectedPort();
    if (selected < 0 || selected >= static_cast<int>(m_port.ports().size()))
        return false;
    if (!bytes)
        return true;
    // Inside the hand-over the receive thread drops what is left on the line
    // (10 ms of quiet) before it writes. A write from another thread (the
    // start, a time-out resend) leaves the reading to the receive thread,
    // which hands every byte to processRx anyway: two readers would steal
    // bytes from each other.
    if (std::this_thread::get_id() == m_rxThread.load() || !m_port.receiverRunning())
        m_port.purgeInput();
    const int rc = m_port.putArray(bytes, length);
    if (rc == Result::PortGone)
        m_writeGone.store(true);
    return rc == Result::Ok;
}

bool CAppl::processRx(const uint8_t* data, int length)
{
    m_rxThread.store(std::this_thread::get_id());
    if (!data || length < 2 || data[0] != 0x01 || data[length - 1] != 0x0A)
        return false;
    if (length > CComPortEx::kLineBufferSize)
        return false;
    // The machine decodes in place; the receive thread's buffer stays as it was.
    std::memcpy(m_rxLine.get(), data, static_cast<std::size_t>(length));
    return m_swdl.processRx(m_rxLine.get(), length);
}

int CAppl::Drive(const ReportFn& report)
{
    for (;;) {
        m_swdl.tick(0, 0, 0);
        const int progress = m_swdl.getProgress();
        const int32_t s = m_swdl.state();
        if (report && !report(progress, s))
            return Result::DownloadCanceled;
        if (progress >= 100)
            return s == int32_t(SwDlState::Reboot) ? Result::Ok : Result::DownloadFailed;
        if (m_port.portGone() || m_writeGone.load())
            return Result::PortGone;
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollIntervalMs));
    }
}

void CAppl::stopAndClose()
{
    m_port.stopReceiver();
    m_port.close();
}
