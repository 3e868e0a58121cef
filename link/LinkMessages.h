// Conduit's messages: a plain message box (no owner, OK button, no icon)
// when the process runs a Qt GUI, a line on stderr otherwise.
#pragma once

#include "Platform.h"

namespace conduit {

class TLinkMessages : public IMessageSink {
 public:
  void Show(const std::string& text, const std::string& caption) override;
};

}  // namespace conduit
