// The debug file Conduit opens when it is loaded and closes when it is
// unloaded. Nothing is ever written into it; it only tells support that the
// library was loaded, and when.
#pragma once

#include <string>

namespace conduit {

// $XDG_STATE_HOME/velt-studio/usbdebug.txt, by default under
// ~/.local/state. Empty when neither variable gives a place.
std::string DebugFilePath();

class TDebugFile {
 public:
  TDebugFile();  // creates the file when absent, keeps it when present
  ~TDebugFile();
  TDebugFile(const TDebugFile&) = delete;
  TDebugFile& operator=(const TDebugFile&) = delete;
  bool IsOpen() const { return Descriptor >= 0; }

 private:
  int Descriptor = -1;
};

}  // namespace conduit
