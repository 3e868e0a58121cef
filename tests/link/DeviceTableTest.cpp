// The device table file and the udev rules generated from it.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "DeviceTable.h"
#include "TransferLogFile.h"

namespace conduit {
namespace {

TEST(DeviceTableTest, ReadsRowsInOrderAndReportsBadLines) {
  std::istringstream in(
      "# comment\n"
      "\n"
      "1a2B:00fF 1   # first\n"
      "  abcd:1234\t2\n"
      "12345:0001 1\n"
      "1a2b:0001 7\n"
      "1a2b:0001\n"
      "1a2b:0001 1 extra\n"
      "# ????:????  1   {3315DC23-CCB0-11D7-9C9A-00C0262F1580}\n");
  const TDeviceTable table = ParseDeviceTable(in);
  ASSERT_EQ(table.Rows.size(), 2u);
  EXPECT_EQ(table.Rows[0].VendorId, 0x1a2b);
  EXPECT_EQ(table.Rows[0].ProductId, 0x00ff);
  EXPECT_EQ(table.Rows[0].DeviceType, 1);
  EXPECT_EQ(table.Rows[1].VendorId, 0xabcd);
  EXPECT_EQ(table.Rows[1].DeviceType, 2);
  ASSERT_EQ(table.Problems.size(), 4u);
  EXPECT_NE(table.Problems[0].find("line 5"), std::string::npos);
}

TEST(DeviceTableTest, ShippedTableNamesNoGuessedIds) {
  std::ifstream in(VELT_SOURCE_DIR "/link/conduit-devices.txt");
  ASSERT_TRUE(in);
  const TDeviceTable table = ParseDeviceTable(in);
  EXPECT_TRUE(table.Rows.empty());
  EXPECT_TRUE(table.Problems.empty());
}

TEST(DeviceTableTest, UdevRulesMarkEachInstrumentAndGrantAccess) {
  std::istringstream in("1a2b:00ff 1\nabcd:1234 2\n");
  const std::string rules = UdevIdentifyRules(ParseDeviceTable(in));
  EXPECT_NE(rules.find("# instrument 1a2b:00ff, device type 1\n"), std::string::npos);
  EXPECT_NE(rules.find("ATTR{idVendor}==\"1a2b\", ATTR{idProduct}==\"00ff\", "
                       "ENV{ID_VELT_INSTRUMENT}=\"1\""),
            std::string::npos);
  EXPECT_NE(rules.find("ATTR{idVendor}==\"abcd\", ATTR{idProduct}==\"1234\""), std::string::npos);
  EXPECT_NE(UdevAccessRules().find("ENV{ID_VELT_INSTRUMENT}==\"1\", TAG+=\"uaccess\""),
            std::string::npos);
}

TEST(TransferLogFileTest, OneLinePerTransferWithHexBytes) {
  EXPECT_EQ(TTransferLogFile::FormatLine({TTransferKind::ServiceOut, {18, 0, 0xAB}, true}),
            "service-out ok 12 00 ab");
  EXPECT_EQ(TTransferLogFile::FormatLine({TTransferKind::BulkIn, {}, false}), "bulk-in failed");
}

}  // namespace
}  // namespace conduit
