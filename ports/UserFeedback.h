// The user-feedback port: what the core asks of the person at the screen.
// Texts are model strings (Windows-1251 bytes); the implementation converts.
#pragma once

#include <string_view>

namespace velt {

enum class TMessageIcon { None, Error, Warning, Information };

// The answers of a question, and the one Enter gives.
enum class TAnswer { Yes, No };

class IUserFeedback {
 public:
  virtual ~IUserFeedback() = default;

  // A message box with a single OK button and no owner window; returns when
  // the user has dismissed it.
  virtual void ShowMessage(std::string_view caption, std::string_view text, TMessageIcon icon) = 0;

  // A question with the buttons Yes and No; true only for Yes. Enter
  // presses the `preselected` button, Escape always means No.
  virtual bool AskYesNo(std::string_view caption, std::string_view text, TMessageIcon icon,
                        TAnswer preselected) = 0;
  // Every question of the program stands before something that replaces or
  // drops data, so a question that names no button has No preselected: a
  // chain of Enter presses never says yes to it.
  bool AskYesNo(std::string_view caption, std::string_view text, TMessageIcon icon) {
    return AskYesNo(caption, text, icon, TAnswer::No);
  }

  // The short warning sound of a refused key (a text already at its limit).
  // Ports without a speaker stay silent.
  virtual void Beep() {}
};

}  // namespace velt
