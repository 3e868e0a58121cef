// One QApplication for the whole test program, on the offscreen platform
// unless the environment names another. Including this header is enough:
// the environment registers itself once per program.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

namespace velt::testing {

class TQtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "ui-test";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
      qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    Application = std::make_unique<QApplication>(argc, argv);
  }
  void TearDown() override { Application.reset(); }

 private:
  std::unique_ptr<QApplication> Application;
};

inline ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new TQtEnvironment);

}  // namespace velt::testing
