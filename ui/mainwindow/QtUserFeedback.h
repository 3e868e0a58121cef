// The user-feedback port in the GUI: Qt message boxes without an owner.
// In the headless state run (--print-state) messages go to stdout instead,
// so nothing waits for a click that cannot come.
#pragma once

#include <ports/UserFeedback.h>

namespace velt {

class TQtUserFeedback : public IUserFeedback {
 public:
  explicit TQtUserFeedback(bool printInsteadOfShowing = false)
      : PrintInsteadOfShowing(printInsteadOfShowing) {}

  void ShowMessage(std::string_view caption, std::string_view text, TMessageIcon icon) override;
  bool AskYesNo(std::string_view caption, std::string_view text, TMessageIcon icon,
                TAnswer preselected) override;
  using IUserFeedback::AskYesNo;
  void Beep() override;

 private:
  bool PrintInsteadOfShowing;
};

}  // namespace velt
