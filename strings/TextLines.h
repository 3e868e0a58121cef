// Line reading for our Windows-1251 text files: lines end in CR LF when we
// write them, but a file edited elsewhere may end its lines in LF alone.
//
// Every file the program reads (record, configuration, report and string
// files) goes through TInputFile and TLineReader: the file is refused
// unless it is a regular file, and a line is never held longer than the
// longest line a valid file of its kind can have, so that neither a FIFO,
// a device nor a huge file without line breaks can block the program or
// exhaust its memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <istream>
#include <memory>
#include <string>
#include <string_view>

namespace velt {

// A regular file opened for reading. The file is opened without waiting
// (a FIFO without a writer would wait for ever) and refused before any byte
// is read when it is a folder, a FIFO, a device or a socket. A read error
// of the open file raises EInOutError from the stream's buffer.
class TInputFile {
 public:
  TInputFile();
  ~TInputFile();
  TInputFile(const TInputFile&) = delete;
  TInputFile& operator=(const TInputFile&) = delete;

  // False, with the reason in `error` ("is a folder, not a file", "is not a
  // regular file", or the system's message), when the file cannot be read.
  bool Open(const std::filesystem::path& path, std::string& error);
  bool IsOpen() const;
  std::istream& Stream() { return In; }
  // The size the file had when it was opened.
  std::uint64_t Size() const { return Bytes; }
  // Back to the first byte, to read the same open file again.
  void Rewind();

 private:
  class TBuffer;
  std::unique_ptr<TBuffer> Buffer;
  std::istream In;
  std::uint64_t Bytes = 0;
};

enum class TLineRead : std::uint8_t { Line, End, TooLong };

// Reads lines of at most MaxBytes bytes (the line end not counted) from a
// stream, straight from its buffer: a line costs no more than a scan of its
// bytes, and no more memory than MaxBytes however long the line in the file.
class TLineReader {
 public:
  TLineReader(std::istream& in, std::size_t maxBytes) : In(in), Max(maxBytes) {}

  // The next line without its line end (LF, or CR LF), a view valid until
  // the next call. A last line without a line end still counts.
  //   Line:    `line` is the line;
  //   End:     no line was left (`line` is empty);
  //   TooLong: the line has more than MaxBytes bytes; `line` holds its first
  //            MaxBytes bytes and the reader must not be used any further.
  TLineRead Next(std::string_view& line);

  // Whether the last line read was ended by a line feed: a file whose writer
  // ends every line has been cut short when its last line is not.
  bool LastLineEnded() const { return Ended; }
  std::size_t MaxBytes() const { return Max; }

 private:
  TLineRead NextSlowly(std::string_view& line);

  std::istream& In;
  std::size_t Max;
  bool Ended = false;
  std::string Current;  // a line that crossed the buffer's end, its storage reused
};

// The value of a "key:value" line: everything after the first colon, or the
// whole line when it has none.
std::string AfterFirstColon(std::string_view line);

// A line's text for a message: cut to `length` bytes ("..." marks the cut),
// control bytes (NUL, CR, tab, ...) shown as \xNN, the rest as it is, in
// double quotes.
std::string QuotedLine(std::string_view text, std::size_t length = 60);

// True when the line holds nothing but blanks (spaces and tabs), or nothing.
bool IsBlankLine(std::string_view line);

}  // namespace velt
