// Recorders for the progress and time ports: every progress-window step,
// cursor change and pending-event call as one line, every pause in
// milliseconds, and a fixed local time. Nothing really sleeps.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <ports/Progress.h>
#include <ports/TimeSource.h>

namespace velt::testing {

class TRecordingProgress : public IProgressFeedback {
 public:
  void ShowProgress(std::string_view text, bool focus) override {
    Steps.push_back(std::string(focus ? "show+focus:" : "show:") + std::string(text));
    Gauges.push_back(0);
    Visible = true;
  }
  void SetProgress(int percent) override {
    Steps.push_back("gauge:" + std::to_string(percent));
    Gauges.push_back(percent);
  }
  void HideProgress() override {
    Steps.push_back("hide");
    Visible = false;
  }
  void PushBusyCursor() override {
    Steps.push_back("cursor+");
    ++CursorDepth;
  }
  void PopBusyCursor() override {
    Steps.push_back("cursor-");
    --CursorDepth;
  }
  void ProcessPendingEvents() override {
    Steps.push_back("events");
    if (OnEvents) {
      OnEvents();
    }
  }

  std::vector<std::string> Steps;
  std::vector<int> Gauges;  // 0 at every show, then each value set
  bool Visible = false;
  int CursorDepth = 0;
  std::function<void()> OnEvents;
};

class TRecordingTime : public ITimeSource {
 public:
  void Sleep(unsigned milliseconds) override { Pauses.push_back(milliseconds); }
  TLocalTime LocalTime() override { return Now; }

  unsigned TotalPause() const {
    unsigned total = 0;
    for (unsigned p : Pauses) {
      total += p;
    }
    return total;
  }

  std::vector<unsigned> Pauses;
  TLocalTime Now{2024, 3, 5, 14, 7, 9};
};

}  // namespace velt::testing
