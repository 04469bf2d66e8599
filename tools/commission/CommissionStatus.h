// The commissioning status file (status.csv in the output folder): one line
// per attempt at a room,
//   room,port,device_type,firmware,production_date,operation_days,result,written,started,finished
// result "ok" or "failed: reason", the times ISO 8601 with their UTC offset.
// A room with a line that says "ok" is done: a later run skips it, so a plan
// is carried on after the units on the bench were swapped, by the command
// line and the window alike. It stays done when it is run again on purpose
// (--redo) and that attempt fails: its bus address is taken, and the next
// unit on the bench must not get it too.
//
// Several writers share the file: the ports of one run (threads) and other
// runs on the same plan (processes). Each line is appended whole, with one
// write of the system's append mode, and flushed as the unit ends; a line
// that a killed run left without its line feed is not read.
//
// Result codes: Append returns Result::Ok or Result::ExportNotCreated (the
// file cannot be created or written).
// Thread rules: Append may be called from any thread; ReadRooms is a pure
// function of the file.
#pragma once

#include <filesystem>
#include <map>
#include <mutex>
#include <string>

namespace Commission {

struct StatusRecord
{
    std::string room;
    std::string port;
    int deviceType = -1; // -1: the unit was not identified (an empty field)
    int firmware = -1;
    int productionDate = -1;
    int operationDays = -1;
    std::string result; // "ok" or "failed: reason"
    int written = 0;    // registers written
    std::string started;
    std::string finished;
};

inline constexpr const char* kStatusHeader =
    "room,port,device_type,firmware,production_date,operation_days,result,written,started,finished";

class CStatusFile
{
public:
    explicit CStatusFile(std::filesystem::path path);

    // Appends the record's line, writing the header first when the file is new.
    int Append(const StatusRecord& record);

    const std::filesystem::path& path() const { return m_path; }

    // The line of a record (without its line feed).
    static std::string Line(const StatusRecord& record);

    // Each room's state in the file; empty when the file is missing.
    struct RoomState
    {
        std::string last;  // the last attempt's result
        bool done = false; // an attempt ended "ok"
    };
    static std::map<std::string, RoomState> ReadRooms(const std::filesystem::path& path);

    // Whether a line can be appended: the file (with its header) is there or
    // can be made, and opens for appending. Ok or ExportNotCreated.
    int checkWritable();

private:
    std::filesystem::path m_path;
    std::mutex m_mutex;
};

// "2026-12-11T09:30:05+01:00": the local time with its offset.
std::string IsoTimeNow();

} // namespace Commission
