// The progress port: the progress window of the batch exchanges, the busy
// cursor, and letting the user interface handle what has piled up while a
// long exchange runs. The GUI implements it with widgets, veltctl with a
// bar on the terminal, tests with a recorder.
#pragma once

#include <string_view>

namespace velt {

class IProgressFeedback {
 public:
  virtual ~IProgressFeedback() = default;

  // Shows the progress window with this text (Windows-1251) and the gauge
  // at 0; `focus` also gives it the keyboard focus.
  virtual void ShowProgress(std::string_view text, bool focus) = 0;
  // The gauge, 0..100.
  virtual void SetProgress(int percent) = 0;
  virtual void HideProgress() = 0;

  // The busy cursor: each Push shows it, each Pop brings back the cursor
  // that was there before the matching Push.
  virtual void PushBusyCursor() = 0;
  virtual void PopBusyCursor() = 0;

  // Handles the events that have piled up (timer ticks, key presses).
  virtual void ProcessPendingEvents() = 0;
};

// Shows the busy cursor for the life of the scope, on every way out.
class TBusyCursorScope {
 public:
  explicit TBusyCursorScope(IProgressFeedback& feedback) : Feedback(feedback) {
    Feedback.PushBusyCursor();
  }
  ~TBusyCursorScope() { Feedback.PopBusyCursor(); }
  TBusyCursorScope(const TBusyCursorScope&) = delete;
  TBusyCursorScope& operator=(const TBusyCursorScope&) = delete;

 private:
  IProgressFeedback& Feedback;
};

// For callers without a screen to show progress on.
class TSilentProgress : public IProgressFeedback {
 public:
  void ShowProgress(std::string_view, bool) override {}
  void SetProgress(int) override {}
  void HideProgress() override {}
  void PushBusyCursor() override {}
  void PopBusyCursor() override {}
  void ProcessPendingEvents() override {}
};

}  // namespace velt
