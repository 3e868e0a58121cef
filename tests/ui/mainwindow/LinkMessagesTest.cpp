// Conduit's messages: inside a Qt GUI a plain message box (no owner, OK
// only, no icon) with the literal text and caption; stderr otherwise.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "LinkMessages.h"

namespace conduit {
namespace {

TEST(LinkMessagesTest, WithoutGuiTheMessageGoesToStderr) {
  ::testing::internal::CaptureStderr();
  TLinkMessages().Show("Null buffer", "Transmit Error #2");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Transmit Error #2: Null buffer\n");
}

TEST(LinkMessagesTest, InsideAGuiItIsAPlainMessageBox) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  int argc = 1;
  char name[] = "LinkMessagesTest";
  char* argv[] = {name, nullptr};
  QApplication application(argc, argv);
  QString text, caption;
  int icon = -1;
  QMessageBox::StandardButtons buttons;
  bool owned = true;
  QTimer::singleShot(0, [&]() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    text = box->text();
    caption = box->windowTitle();
    icon = box->icon();
    buttons = box->standardButtons();
    owned = box->parentWidget() != nullptr;
    box->accept();
  });
  ::testing::internal::CaptureStderr();
  TLinkMessages().Show("Wrong data amount received! Disconnect USB and restart application!",
                       "Sending Error");
  // Qt itself may chatter on stderr; the message must not go there.
  EXPECT_EQ(::testing::internal::GetCapturedStderr().find("Sending Error"), std::string::npos);
  EXPECT_EQ(text, "Wrong data amount received! Disconnect USB and restart application!");
  EXPECT_EQ(caption, "Sending Error");
  EXPECT_EQ(icon, QMessageBox::NoIcon);
  EXPECT_EQ(buttons, QMessageBox::Ok);
  EXPECT_FALSE(owned);
}

}  // namespace
}  // namespace conduit
