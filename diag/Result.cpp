#include "diag/Result.h"

#include <cstdio>
#include <iterator>

namespace Result {
namespace {

// The words an installer reads: what happened first, then what to check.
constexpr Entry kTable[] = {
    {Ok, "done"},
    {NoLink,
     "no link to the unit: the port does not exist or is closed, or no unit is identified; check the port "
     "name and the adapter, then connect"},
    {OutOfLimits, "value outside the register's limits; the nearest limit was kept"},
    {NoReply, "no answer from the unit within 2000 ms: check the adapter, the cable and the unit's power"},
    {ReadFailed, "the read failed in both attempts: check the cable and the unit's bus address"},
    {NoValues, "multi-register write without values"},
    {DemoMode, "refused: demo mode is active, nothing is sent to a unit"},

    {PortBusy, "the port could not be opened: it is in use by another program"},
    {NotASerialPort, "the port is not a serial port: choose the adapter's port"},
    {PortSettingsRefused, "the port refused the settings: choose a baud rate and framing the adapter offers"},
    {WriteStalled, "the port took no bytes: check that the adapter is plugged in"},
    {MissingArgument, "nothing to work on: a data or result buffer is missing"},
    {ZeroLength, "nothing to send or receive: the length is 0"},
    {NoPortSelected, "no port selected: choose the adapter's port in the list"},
    {NoSuchRegister, "no such register: the address is 0 or beyond the register table"},
    {ReplyWithoutValue, "the adapter's reply carried no value"},
    {TraceNotCreated, "the trace file cannot be created: check the folder and its permissions"},
    {PortGone, "the port is gone: the adapter was unplugged or hung up; plug it in and connect again"},
    {PortNoAccess, "the port could not be opened: access to the device is denied"},

    {FileNotOpened, "the file cannot be opened: check its name and permissions"},
    {FileEmpty, "the file is empty"},
    {FileTooLarge, "the file is larger than 16 MiB: it is no firmware for this unit"},
    {NoMemory, "not enough memory for the file"},
    {FileShortRead, "the file could not be read to its end"},
    {FileNotLoaded, "no file loaded"},
    {FileCrcWrong, "the file is damaged: its overall CRC does not match; copy it again"},
    {NotADownloadFile, "not a download file: it does not start with \"Orv1\""},
    {FileHeaderWrong, "the file is damaged: its header length does not match its header"},
    {ImageCrcWrong, "the firmware image is damaged: its CRC does not match or it is shorter than 8 bytes"},

    {NoValidFile, "no valid download file is loaded"},
    {DownloadFailed, "the download ended in error: the unit keeps its old firmware"},
    {DownloadCanceled, "the download was canceled: the unit keeps its old firmware"},
    {NoSendHook, "the download link is not set up: nothing was sent"},
    {FrameTooLarge, "the download message does not fit its frame"},
    {FrameNotWritten, "the frame could not be written to the port: check the adapter and the cable"},
    {FrameDamaged, "a damaged download message arrived (CRC wrong or too short)"},
    {NotAFrame, "the bytes received are no download frame"},

    {LogNotCreated, "the log file cannot be created: check the log folder and its permissions"},
    {DebugLinesNotSaved, "the debug lines could not be saved: check the folder, its permissions and the free space"},
    {LogNotShown, "the test log could not be shown: no program to open it was found"},

    {RemaRequestNotSent, "the table request could not be sent: check the adapter and the cable"},
    {RemaRequestNoReply, "the unit did not answer the table request within 2000 ms"},
    {RemaNoCount, "the unit's answer to the table request carries no entry count"},
    {RemaChunkNotSent, "a request for table entries could not be sent: check the adapter and the cable"},
    {RemaChunkNoReply, "the unit did not answer a request for table entries within 2000 ms"},
    {RemaChunkCrcWrong, "table entries arrived damaged (checksum wrong); the table was not taken"},
    {RemaChunkShort, "table entries arrived incomplete; the table was not taken"},
    {RemaBeginNotSent, "the start of the table write could not be sent: check the adapter and the cable"},
    {RemaBeginNoReply, "the unit did not answer the start of the table write within 2000 ms"},
    {RemaLineNotSent, "sending table entries to the unit failed"},
    {RemaLineNoReply, "the unit did not answer a line of table entries within 2000 ms"},
    {RemaEndNotSent, "the end of the table write could not be sent: the unit may hold a partial table"},
    {RemaEndNoReply, "the unit did not answer the end of the table write within 2000 ms"},
    {RemaFileNotOpened, "the table file cannot be opened: check its name and permissions"},
    {RemaWrongHeader, "the file holds no table of this kind: its first line names another table or none"},
    {RemaBadLine, "a line of the table file is no entry (\"Fav: <address>; Addr: <register>; ...\")"},
    {RemaShortEntry, "the binary table file ends inside an entry"},
    {RemaFileNotWritten, "the table file could not be written completely: check the free space"},
    {RemaBeginRefused, "the unit refused the start of the table write; nothing was changed"},
    {RemaLineRefused, "the unit refused a line of table entries; the write was stopped and the unit keeps its "
                      "previous table"},
    {RemaEndRefused, "the unit refused the end of the table write; it keeps its previous table"},
    {RemaTakesIdentity, "the table moves or takes away registers the tool needs to identify and unlock the unit "
                        "(2000 to 2008, 2010, 2045, 3516): nothing was written"},
    {RemaRemovals, "the table takes registers away from their addresses; nothing was written (confirm the "
                   "removals to write it)"},
    {ExportNotCreated, "the export file cannot be created or written: check the folder, its permissions and the "
                       "free space"},
    {NotAnExportFile, "not an export file: it does not start with \"Orvelant 4000 Export\""},
    {RegistersMissing, "registers could not be read from the unit and are missing in the file"},
    {LinkLost, "link lost: several registers in a row got no answer; check the adapter, the cable and the unit's "
               "power"},
    {ImportIncomplete, "the import is incomplete: records were skipped or writes failed"},
    {ImportNotOpened, "the file to import cannot be opened: check its name and permissions"},
    {JobCancelled, "stopped by the user: the rest was not done"},
    {ReadBackDiffers, "the register read back after the write holds another value than was written"},
    {UndoFileNotWritten, "the undo file cannot be written: nothing was written to the unit"},
    {ReportNotCreated, "the report file cannot be created or written: check the folder, its permissions and the "
                       "free space"},
    {ReportUnread, "registers could not be read from the unit; the report names them"},
    {NotAReport, "not a commissioning report of this tool"},
    {ReportNoPdf, "a PDF report needs Qt's GUI module, which this build of the tool lacks"},

    {TypedOutOfLimits, "the number typed is outside the register's limits; nothing was written"},
    {NoNumberTyped, "the field holds no number (empty or not a number); nothing was written"},

    {BeyondSixteenBits, "the number typed does not fit in 16 bits (register and object numbers 0 to 65535, "
                        "values -32768 to 65535); nothing was sent"},

    {AnotherUnit, "another unit is attached: connect again"},
    {NoUnitIdentified, "not written: no unit identified - connect again"},
    {PinNotAccepted, "no unit connected with its PIN: press \"Connect\" first; nothing was sent"},
    {EditsUnwritten, "a field holds a change the unit has not taken: write or discard it first; nothing was stored"},
    {ToolLocked, "too many wrong PINs: connecting is locked for a while"},
    {WrongPin, "the PIN entered is not the unit's: each wrong PIN counts toward the lockout"},
    {NoDeviceConnected, "no unit identified, or its PIN was not accepted: choose the adapter's port on the "
                        "COM-Interface page and connect"},
};

} // namespace

const Entry* Table() { return kTable; }

std::size_t TableSize() { return std::size(kTable); }

} // namespace Result

std::string ResultText(int code)
{
    for (const Result::Entry& e : Result::kTable)
        if (e.code == code)
            return e.words;
    if (code > 0)
        return "the adapter did not confirm the write (its reply line had " + std::to_string(code) +
               " characters): check the register number and the unit's bus address";
    return "unknown result (" + std::to_string(code) + ")";
}

std::string StatusLineText(int code)
{
    if (code == Result::Ok)
        return "Done.";
    char text[32];
    std::snprintf(text, sizeof text, "Error: %i", code);
    return text;
}

std::string StatusDetailText(int code)
{
    if (code == Result::Ok)
        return {};
    if (code == Result::TypedOutOfLimits)
        return ResultText(code) + ": the field shows the unit's value again";
    return ResultText(code);
}
