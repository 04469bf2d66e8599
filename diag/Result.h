// The result codes of the whole tool, one table: every failure any module
// reports has its own number here, and no number means two things. A result
// is an int: 0 done, a negative code on failure, a positive count where the
// operation counts (see the positive codes below).
//
// Two groups:
//   - The numbers the unit's status line shows as "Error: %i" and that
//     installers and their guides know (NoLink .. DemoMode). They never
//     change.
//   - The tool's own codes (port, download file, download, page input): they
//     start at -20 and go on in tens per module, so a number in a log still
//     tells where it came from.
//
// Positive results: a CModbus write (and a single-attempt read) whose reply
// does not confirm it returns the length of the reply line it got instead;
// ResultText words any positive number that way. Reads return the adapter's
// status (0 or more) on success, so a positive number is a failure only
// where a function's comment says so.
//
// ResultText gives the words for the status line's detail, the log and
// tavemo-cli: what went wrong and, where an installer can act, what to check.
// StatusLineText gives the status line's own short form ("Done." or
// "Error: %i"), which the status line has always shown.
//
// Thread rules: constant tables and pure functions, callable from any thread.
#pragma once

#include <cstddef>
#include <string>

namespace Result {

constexpr int Ok = 0;

// ---- shown on the status line, fixed ---------------------------------------
constexpr int NoLink = -1;      // port missing or closed, no port settings, no unit identified
constexpr int OutOfLimits = -2; // value outside the register's catalogue limits (entry clamped)
constexpr int NoReply = -4;     // nothing from the adapter within 2000 ms
constexpr int ReadFailed = -10; // a read failed in both attempts
constexpr int NoValues = -99;   // multi-register write without values
constexpr int DemoMode = -100;  // refused: demo mode is active, nothing is sent

// ---- the serial port ---------------------------------------------------------
constexpr int PortBusy = -20;            // open refused: held by another program or port object
constexpr int NotASerialPort = -21;      // the device has no serial port state (/dev/null, a file)
constexpr int PortSettingsRefused = -22; // baud rate or framing the driver does not take
constexpr int WriteStalled = -23;        // the port took no byte in five tries
constexpr int MissingArgument = -24;     // a data, buffer or result pointer was null
constexpr int ZeroLength = -25;          // a write or read of 0 bytes
constexpr int NoPortSelected = -26;      // no port chosen in the list, or the choice names none
constexpr int NoSuchRegister = -27;      // address 0 or beyond the register table
constexpr int ReplyWithoutValue = -28;   // an accepted reply line carried no value
constexpr int TraceNotCreated = -29;     // the trace file cannot be created
constexpr int PortGone = -30;            // the device vanished or hung up (adapter pulled out): the job ends at once
constexpr int PortNoAccess = -31;        // open refused: the user may not use the device

// ---- the download file ---------------------------------------------------------
constexpr int FileNotOpened = -40;    // missing, a folder, or not readable
constexpr int FileEmpty = -41;        // the file (or the bytes given) hold nothing
constexpr int FileTooLarge = -42;     // larger than the unit's 16 MiB flash
constexpr int NoMemory = -43;         // no memory for the file's buffer
constexpr int FileShortRead = -44;    // the file ended before its size said
constexpr int FileNotLoaded = -45;    // Parse before a successful Load
constexpr int FileCrcWrong = -46;     // the overall CRC does not match
constexpr int NotADownloadFile = -47; // the file does not start with "Orv1"
constexpr int FileHeaderWrong = -48;  // header length does not match the header
constexpr int ImageCrcWrong = -49;    // payload CRC wrong, or payload shorter than 8 bytes

// ---- the download -----------------------------------------------------------
constexpr int NoValidFile = -50;      // Start without a valid file loaded
constexpr int DownloadFailed = -51;   // the download ended in its Error state
constexpr int DownloadCanceled = -52; // the caller canceled the download
constexpr int NoSendHook = -53;       // a message was sent with no link to write it
constexpr int FrameTooLarge = -54;    // the message does not fit the frame buffer
constexpr int FrameNotWritten = -55;  // the port did not take the frame
constexpr int FrameDamaged = -56;     // a received message failed its CRC (or is too short)
constexpr int NotAFrame = -57;        // the bytes are not one whole frame

// ---- the log ------------------------------------------------------------------
constexpr int LogNotCreated = -60;     // the log folder or file cannot be created
constexpr int DebugLinesNotSaved = -61; // the debug window's lines could not be written to the file
constexpr int LogNotShown = -62;       // the test log exists but no program could be started to show it

// ---- the custom addressing (ReMa) tables ----------------------------------
// The unit's table exchange ("C" commands). The status line shows each with
// the short text it has always had (ReMa::StatusText).
constexpr int RemaRequestNotSent = -80;   // the table request ("Cr") could not be written
constexpr int RemaRequestNoReply = -81;   // no answer to the table request
constexpr int RemaNoCount = -82;          // the answer to the table request carries no entry count
constexpr int RemaChunkNotSent = -83;     // a chunk request ("Cr0 100") could not be written
constexpr int RemaChunkNoReply = -84;     // no answer to a chunk request
constexpr int RemaChunkCrcWrong = -85;    // a chunk's checksum does not match its entries
constexpr int RemaChunkShort = -86;       // a chunk holds fewer characters than its entries need
constexpr int RemaBeginNotSent = -87;     // the start of a table write ("Cw0") could not be written
constexpr int RemaBeginNoReply = -88;     // no answer to the start of a table write
constexpr int RemaLineNotSent = -89;      // an entry line could not be written
constexpr int RemaLineNoReply = -90;      // no answer to an entry line
constexpr int RemaEndNotSent = -91;       // the end of a table write ("Cw2") could not be written
constexpr int RemaEndNoReply = -92;       // no answer to the end of a table write
// The table files.
constexpr int RemaFileNotOpened = -93;    // the table file cannot be opened or created
constexpr int RemaWrongHeader = -94;      // the file's first line names no table, or another one
constexpr int RemaBadLine = -95;          // a line of a text table file is no entry
constexpr int RemaShortEntry = -96;       // a binary table file ends inside an entry
constexpr int RemaFileNotWritten = -97;   // the table file could not be written completely
// Table writes the unit refused, and tables the tool will not send.
constexpr int RemaBeginRefused = -130;    // the unit refused the start of a table write
constexpr int RemaLineRefused = -131;     // the unit refused a line of table entries: its previous table stays
constexpr int RemaEndRefused = -132;      // the unit refused the end of a table write: its previous table stays
constexpr int RemaTakesIdentity = -133;   // the table moves or takes away a register the tool identifies and unlocks by
constexpr int RemaRemovals = -134;        // the table takes registers away and that was not confirmed
// ---- configuration export and import -------------------------------------------
constexpr int ExportNotCreated = -70;  // the export file (or its temporary file) cannot be created or written
constexpr int NotAnExportFile = -71;   // the file does not start with the export header
constexpr int RegistersMissing = -72;  // registers could not be read from the unit; left out of the file
constexpr int LinkLost = -73;          // several registers in a row got no answer: the unit is gone
constexpr int ImportIncomplete = -74;  // records skipped, not understood, or writes that failed
constexpr int ImportNotOpened = -75;   // the file to import cannot be opened
constexpr int JobCancelled = -76;      // the user stopped the job (an export keeps the previous file)
// Writing only what differs.
constexpr int ReadBackDiffers = -140;   // a register read back after its write holds another value than was written
constexpr int UndoFileNotWritten = -141; // the undo file cannot be written: nothing was written to the unit
// ---- commissioning report ------------------------------------------------------
constexpr int ReportNotCreated = -150;  // the report file (or its temporary file) cannot be created or written
constexpr int ReportUnread = -151;      // registers could not be read from the unit; the report names them
constexpr int NotAReport = -152;        // the file is no report of this tool (or a newer version of one)
constexpr int ReportNoPdf = -153;       // this build has no PDF writer (Qt's GUI module)

// ---- page input ---------------------------------------------------------------
// A number typed into a page field outside the register's catalogue limits;
// nothing is sent (the page shows its own range message).
constexpr int TypedOutOfLimits = -101;
// Enter in a number field that holds no number (empty, "-", letters);
// nothing is sent (the page says so in its status line).
constexpr int NoNumberTyped = -102;

// ---- the Modbus and BACnet test pages --------------------------------------------
// A number typed for a register, coil or object number or a 16-bit value
// that does not fit in 16 bits; nothing is sent.
constexpr int BeyondSixteenBits = -110;

// ---- the unit bound at "Connect" ------------------------------------------------
// Another unit answers behind the port than the one connected to; nothing is
// written and the pages stay off until "Connect" is pressed again.
constexpr int AnotherUnit = -120;
// A change found no identified unit to take it; it stays marked as unwritten.
constexpr int NoUnitIdentified = -121;
// The action needs a unit whose PIN was accepted at "Connect"; nothing is sent.
constexpr int PinNotAccepted = -122;
// "Save To NVRAM" while a field holds an edit the unit has not taken; nothing
// is stored.
constexpr int EditsUnwritten = -123;
// Too many wrong PINs in a row: the tool sends no PIN until the block ends.
constexpr int ToolLocked = -124;
// The PIN entered is not the unit's; the try counts toward the lockout.
constexpr int WrongPin = -125;
// "Connect" (or a page's read) found no unit behind the port, or its PIN
// was not accepted: the pages stay off.
constexpr int NoDeviceConnected = -126;

struct Entry
{
    int code;
    const char* words;
};

// Every code above with its words, in the order listed.
const Entry* Table();
std::size_t TableSize();

} // namespace Result

// The words for a code: the table's, the adapter's unconfirmed write for a
// positive number, or "unknown result (N)".
std::string ResultText(int code);

// "Done." for 0, else "Error: %i" with the code, as the status line shows it.
std::string StatusLineText(int code);

// The words the window's detail line shows under a status carrying the
// code: ResultText, with what the page did beyond it for a typed number the
// unit's limits refused; "" for Ok.
std::string StatusDetailText(int code);
