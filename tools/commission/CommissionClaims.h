// Which run works on which room right now. Before a run touches a unit with
// a room, it claims the room: the file ROOM.claim in the output folder,
//   host: build-pc
//   pid: 4711
//   port: ttyUSB0
//   since: 2026-12-11T09:30:05+01:00
// and it removes the file once the room's line is in the status file. A
// second run on the same plan and folder (another terminal, the window)
// skips a room another live run has claimed, so two units never get one
// room (and one bus address).
//
// A claim outlives a run that died. One whose process no longer runs on
// this computer is free again; one from another computer (the folder on a
// network share) cannot be checked and holds until the installer frees it
// (--redo ROOM, or the window's question) or removes the file.
//
// Runs decide one at a time: the selection of rooms (status file read,
// claims checked and taken) and each release happen while the folder's
// claims.lock is held, so a room ends either done in the status file or
// claimed, never free in between.
//
// Result codes (diag/Result.h): take returns Ok or ExportNotCreated (the
// claim file cannot be written).
// Thread rules: any thread; the hold orders threads and processes alike.
#pragma once

#include "diag/LocalSystem.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace Commission {

struct Claim
{
    std::string host;
    int pid = 0;
    std::string port;
    std::string since;
};

enum class ClaimState
{
    Mine,      // this process's
    Live,      // another run on this computer that still runs
    Dead,      // a run on this computer that no longer runs: free again
    OtherHost, // a run on another computer: holds until freed by hand
};

class CClaims
{
public:
    explicit CClaims(std::filesystem::path folder);

    // Holds the folder's claims until the object returned goes.
    std::unique_ptr<LocalSystem::FileHold> hold() const;

    // The claim on the room; none when there is no claim file (a file that
    // cannot be read as a claim counts as another computer's).
    std::optional<Claim> read(const std::string& room) const;
    // Claims the room for this process and port, in place of any claim there
    // (call it holding the folder).
    int take(const std::string& room, const std::string& port) const;
    // Removes the room's claim if it is this process's (takes the hold).
    void release(const std::string& room) const;

    std::filesystem::path path(const std::string& room) const;

    static ClaimState StateOf(const Claim& claim);
    // Whether the claim keeps the room from this run: a live run's always
    // (two units would get the room), another computer's unless the room is
    // to be redone, a dead run's never.
    static bool Holds(const Claim& claim, bool redo);
    // "run 4711 on this computer, port ttyUSB0, since ..." for messages.
    static std::string Describe(const Claim& claim);

private:
    std::filesystem::path m_folder;
};

} // namespace Commission
