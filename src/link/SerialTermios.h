#pragma once

// The line settings as terminal attributes, apart from any device so that every
// combination can be checked (a pseudo-terminal keeps 8 bits and no parity).

#include "link/SerialLineSettings.h"

#include <cstdint>

#include <termios.h>

// Each gives 0 or EINVAL; on EINVAL the attributes are left as they were. Speed 0
// would hang the line up, so it counts as unknown.
int ApplyLine(termios& tio, std::uint32_t baudRate, std::uint32_t dataBits, SerialParity parity,
              SerialStopBits stopBits);
int ApplyHandshaking(termios& tio, SerialHandshake mode);
// Raw bytes both ways; a BREAK is ignored rather than read as a zero byte.
void ApplyRaw(termios& tio);
// The modem lines (TIOCM_DTR, TIOCM_RTS) raised in the mode; the others are dropped.
int ModemLinesFor(SerialHandshake mode);

// The settings the attributes hold; 0 for a speed or size outside the table.
int BaudRateOf(const termios& tio);
int DataBitsOf(const termios& tio);
SerialParity ParityOf(const termios& tio);
SerialStopBits StopBitsOf(const termios& tio);
SerialHandshake HandshakingOf(const termios& tio);
