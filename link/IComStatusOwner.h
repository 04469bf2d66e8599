// The object that owns a download link's receive thread (the download object
// in the tool): tells the thread when the download has reached its final
// state, so that the thread ends itself, and gives the logger the thread
// writes its lines to.
//
// Thread rules: both calls come from the receive thread, after each handed
// over line; downloadFinished reads state that other threads write, so the
// implementation makes that read safe (an atomic or the owner's lock).
#pragma once

class Logger;

class IComStatusOwner
{
public:
    virtual ~IComStatusOwner() = default;
    // True once the download reached its last state (Reboot): the receive
    // thread stops after the current line.
    virtual bool downloadFinished() const = 0;
    // The logger for "serial port state" and refused-line messages.
    virtual Logger& rxLogger() = 0;
};
