// Line reading for our Windows-1251 text files: lines end in CR LF when we
// write them, but a file edited elsewhere may end its lines in LF alone.
#pragma once

#include <istream>
#include <string>

namespace velt {

// Reads the next line without its line end (LF, or CR LF). A last line
// without a line end still counts. False when the stream held no more lines.
bool ReadTextLine(std::istream& in, std::string& line);

// The value of a "key:value" line: everything after the first colon, or the
// whole line when it has none.
std::string AfterFirstColon(const std::string& line);

}  // namespace velt
