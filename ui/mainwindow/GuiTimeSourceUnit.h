// The program's time port: the pauses the instrument needs (a second after
// each configuration write) pass in a local event loop, so the window goes
// on painting and taking input meanwhile; the exchange that pauses keeps
// the connection busy, so nothing done in between can start another.
#pragma once

#include <functional>

#include <ports/TimeSource.h>

namespace velt {

class TGuiTimeSource : public ITimeSource {
 public:
  // `inputWaits` says when the user's input is to wait until the pause has
  // ended (a batch transfer owns the window then; it is still painted).
  explicit TGuiTimeSource(std::function<bool()> inputWaits = {})
      : InputWaits(std::move(inputWaits)) {}
  // Never shorter than asked: when the event loop is left early (the
  // program is ending) the rest is waited out without it.
  void Sleep(unsigned milliseconds) override;
  TLocalTime LocalTime() override { return System.LocalTime(); }

 private:
  std::function<bool()> InputWaits;
  TSystemTimeSource System;
};

}  // namespace velt
