// Which device a serial port number or a port argument stands for.
//
// The program numbers its ports 1 to 4 (COM1 to COM4). On Windows that is the
// device "COMn"; on Linux and macOS port n is /dev/ttyS{n-1}, the built-in
// serial ports. Today's clone cables are USB adapters (/dev/ttyUSB0,
// /dev/cu.usbserial-...), so anything that is not COM1..COM4 is taken as a
// device path exactly as given, pseudo-terminals included.
#pragma once

#include <optional>
#include <string>

namespace qb41::link {

// The device of port number 1..4; nullopt for any other number.
std::optional<std::string> PortDeviceName(int portNumber);

// "COM1".."COM4" (any letter case) -> the port number, else nullopt.
std::optional<int> ComPortNumber(const std::string& name);

// A port argument: COM1..COM4 become their device, anything else is kept.
std::string ResolvePortName(const std::string& name);

} // namespace qb41::link
