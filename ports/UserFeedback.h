// The user-feedback port: what the core asks of the person at the screen.
// Texts are model strings (Windows-1251 bytes); the implementation converts.
#pragma once

#include <string_view>

namespace velt {

enum class TMessageIcon { None, Error, Warning, Information };

class IUserFeedback {
 public:
  virtual ~IUserFeedback() = default;

  // A message box with a single OK button and no owner window; returns when
  // the user has dismissed it.
  virtual void ShowMessage(std::string_view caption, std::string_view text, TMessageIcon icon) = 0;

  // A question with the buttons Yes and No; true only for Yes.
  virtual bool AskYesNo(std::string_view caption, std::string_view text, TMessageIcon icon) = 0;
};

}  // namespace velt
