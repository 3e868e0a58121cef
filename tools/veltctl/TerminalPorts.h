// The ports of the core on a terminal: messages on stderr, questions
// answered "no" (nobody is there to answer), and the progress of a batch
// as a bar when stderr is a terminal, as plain lines otherwise.
#pragma once

#include <ostream>
#include <string>

#include <ports/Progress.h>
#include <ports/UserFeedback.h>
#include <strings/LocalStringsUnit.h>

namespace veltctl {

class TTerminalFeedback : public velt::IUserFeedback {
 public:
  explicit TTerminalFeedback(std::ostream& err) : Err(err) {}
  void ShowMessage(std::string_view caption, std::string_view text,
                   velt::TMessageIcon icon) override;
  bool AskYesNo(std::string_view caption, std::string_view text, velt::TMessageIcon icon,
                velt::TAnswer preselected) override;
  int MessagesShown() const { return Shown; }

 private:
  std::ostream& Err;
  int Shown = 0;
};

class TTerminalProgress : public velt::IProgressFeedback {
 public:
  TTerminalProgress(std::ostream& err, bool terminal) : Err(err), Terminal(terminal) {}
  void ShowProgress(std::string_view text, bool focus) override;
  void SetProgress(int percent) override;
  void HideProgress() override;
  void PushBusyCursor() override {}
  void PopBusyCursor() override {}
  void ProcessPendingEvents() override {}

 private:
  void Draw(int percent);

  std::ostream& Err;
  bool Terminal;
  bool Shown = false;
  std::string Text;
  int Last = -1;
};

// Loads the program's string files from the run-time strings folder; when
// they do not load, says so on `err` and returns false.
bool LoadStrings(velt::TLocalStrings& strings, std::ostream& err);

}  // namespace veltctl
