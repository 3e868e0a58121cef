// The header fields' rules: each field's length limit and kind, and the
// correction of a typed date.
#include <gtest/gtest.h>

#include <string>

#include <reports/ReportHeaderFieldsUnit.h>

namespace velt {
namespace {

TEST(ReportHeaderFieldsTest, LimitAndKindOfEveryField) {
  // Fields 0..37; kinds: 'D' date, 'L' level, 'C' inspector certificate.
  const int limits[38] = {0,  50, 0,  16, 50, 50, 50, 50, 16, 17, 0,  20, 16, 12, 20, 0,  12, 0, 70,
                          20, 0,  12, 0,  70, 20, 0,  12, 0,  70, 20, 0,  12, 0,  70, 60, 60, 0, 0};
  const std::string kinds = "--D-------D----LCD--LCD--LCD--LCD-----";
  for (int field = 0; field <= 37; ++field) {
    SCOPED_TRACE("field " + std::to_string(field));
    EXPECT_EQ(HeaderFieldLimit(field), limits[field]);
    EXPECT_EQ(IsHeaderDateField(field), kinds[field] == 'D');
    EXPECT_EQ(IsHeaderLevelField(field), kinds[field] == 'L');
    EXPECT_EQ(IsInspectorCertificateField(field), kinds[field] == 'C');
  }
}

TEST(ReportHeaderFieldsTest, DateCorrection) {
  const std::tuple<const char*, const char*, bool> rows[] = {
      {"01.01.2007", "01.01.2007", false}, {"31.12.3000", "31.12.3000", false},
      {"35.13.1999", "31.12.2000", true},  {"00.05.2010", "01.05.2010", true},
      {"32.05.2010", "31.05.2010", true},  {"15.00.2010", "15.01.2010", true},
      {"15.05.3001", "15.05.2007", true},  {"1_.05.2010", "01.05.2010", true},  // no number: 1
      {"15.05.____", "15.05.2000", true},  {"15/05/1999", "15/05/2000", true},  // third character
      {"15.05", "15.05.2000", true},
  };
  for (const auto& [typed, shown, corrected] : rows) {
    const TCheckedDate checked = CheckDate(typed);
    EXPECT_EQ(checked.Text, shown) << typed;
    EXPECT_EQ(checked.Corrected, corrected) << typed;
  }
}

}  // namespace
}  // namespace velt
