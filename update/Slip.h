// The frame layer of the firmware download. A message travels between the
// start byte 0x01 and the end byte 0x0A, with every byte that could upset a
// line-oriented receiver (the frame bytes, CR, NUL, backspace, DEL and the
// adapter's '!' and '?') replaced by the escape byte 0x1B and a digit. A
// frame is thus one text line ending in a line feed, and it can share the
// serial line with the adapter's ASCII command lines.
//
// All functions work in place on the caller's buffer and never read or
// write outside the lengths they are given (SLIP_Encode: outside the frame
// length it returns, which the caller must have room for).
//
// Thread rules: pure functions, callable from any thread.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint8_t SLIP_START = 0x01;
constexpr uint8_t SLIP_END = 0x0A;
constexpr uint8_t SLIP_ESCAPE = 0x1B;
constexpr std::size_t SLIP_ESCAPE_COUNT = 9;
// Raw byte k travels as SLIP_ESCAPE, '0' + k.
constexpr uint8_t SLIP_ESCAPED[SLIP_ESCAPE_COUNT] = {0x1B, 0x01, 0x0A, 0x0D, 0x00, 0x08, 0x7F, 0x21, 0x3F};

// Index k of a byte in the escape table, or -1 when it travels unchanged.
int SLIP_EscapeIndex(uint8_t byte);

// Frame length of an n-byte message: 2 + n + the bytes to escape.
uint32_t SLIP_EncodedSize(const uint8_t* message, uint32_t n);

// Rewrites the n-byte message at the front of buffer into a whole frame and
// returns the frame length. The buffer must hold SLIP_EncodedSize bytes.
uint32_t SLIP_Encode(uint8_t* buffer, uint32_t n);

// Checks that the buffer holds a frame (at least 2 bytes, start byte first,
// end byte last) and replaces it by the message between the frame bytes,
// escapes undone. Returns the message length, or NotAFrame (diag/Result.h)
// when it is no frame.
// An escape followed by a byte outside '0'..'8' yields that byte; an escape
// right before the end byte yields the escape byte. Either way the message
// then fails its CRC.
int SLIP_Decode(uint8_t* buffer, uint32_t length);
