// The settings files of a whole installation, one per unit, as backup
// writes them and restore reads them, in the program and the command line
// alike.
#pragma once

#include <string>
#include <string_view>

namespace orv {

// A unit of an RS-485 bus: "unit-05.dat".
std::string bus_unit_file_name(int address);
// A converter by its address ("192.168.1.3.dat") or by HOST:PORT
// ("127.0.0.1-9004.dat": a colon cannot stand in a Windows file name).
std::string converter_file_name(std::string_view converter);

}  // namespace orv
