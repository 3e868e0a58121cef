// A user-feedback port that records every message and answers questions
// from a script, so tests see what the user would have seen.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include <ports/UserFeedback.h>

namespace velt::testing {

struct TShownMessage {
  std::string Caption;
  std::string Text;
  TMessageIcon Icon;
  // For questions: the button Enter would press.
  TAnswer Preselected = TAnswer::No;
};

class TRecordingFeedback : public IUserFeedback {
 public:
  void ShowMessage(std::string_view caption, std::string_view text, TMessageIcon icon) override {
    Messages.push_back({std::string(caption), std::string(text), icon});
  }
  bool AskYesNo(std::string_view caption, std::string_view text, TMessageIcon icon,
                TAnswer preselected) override {
    Questions.push_back({std::string(caption), std::string(text), icon, preselected});
    if (Answers.empty()) {
      return false;
    }
    const bool answer = Answers.front();
    Answers.pop_front();
    return answer;
  }

  using IUserFeedback::AskYesNo;
  void Beep() override { ++Beeps; }

  std::vector<TShownMessage> Messages;
  std::vector<TShownMessage> Questions;
  std::deque<bool> Answers;
  int Beeps = 0;
};

}  // namespace velt::testing
