// The header fields' rules: each field's length limit and kind, and the
// correction of a typed date.
#include <gtest/gtest.h>

#include <string>

#include <reports/ReportHeaderFieldsUnit.h>

namespace velt {
namespace {

TEST(ReportHeaderFieldsTest, LimitAndKindOfEveryField) {
  // Fields 1..36 in report file order; 'D' date, 'L' level, 'C' inspector
  // certificate number, '-' neither.
  const int limits[36] = {50, 0,  16, 50, 50, 50, 50, 16, 17, 0,  20, 16,
                          12, 20, 0,  12, 0,  70, 20, 0,  12, 0,  70, 20,
                          0,  12, 0,  70, 20, 0,  12, 0,  70, 60, 60, 0};
  const std::string kinds = "-D-------D----LCD--LCD--LCD--LCD----";
  for (int field = 1; field <= 36; ++field) {
    SCOPED_TRACE("field " + std::to_string(field));
    EXPECT_EQ(HeaderFieldLimit(field), limits[field - 1]);
    const char kind = kinds[static_cast<std::size_t>(field - 1)];
    EXPECT_EQ(IsHeaderDateField(field), kind == 'D');
    EXPECT_EQ(IsHeaderLevelField(field), kind == 'L');
    EXPECT_EQ(IsInspectorCertificateField(field), kind == 'C');
  }
  for (int field : {0, -1, 37}) {
    EXPECT_EQ(HeaderFieldLimit(field), 0) << field;
    EXPECT_FALSE(IsHeaderDateField(field) || IsHeaderLevelField(field) ||
                 IsInspectorCertificateField(field))
        << field;
  }
}

TEST(ReportHeaderFieldsTest, DateCorrection) {
  struct TRow {
    const char* Typed;
    const char* Shown;
    bool Corrected;
  };
  const TRow rows[] = {
      {"01.01.2007", "01.01.2007", false},
      {"31.12.3000", "31.12.3000", false},
      {"09.07.2000", "09.07.2000", false},
      {"35.13.1999", "31.12.2000", true},
      {"00.05.2010", "01.05.2010", true},   // day 0
      {"32.05.2010", "31.05.2010", true},   // day 32
      {"15.00.2010", "15.01.2010", true},   // month 0
      {"15.13.2010", "15.12.2010", true},   // month 13
      {"15.05.1999", "15.05.2000", true},   // year below 2000
      {"15.05.3001", "15.05.2007", true},   // year above 3000
      {"1_.05.2010", "01.05.2010", true},   // a mask blank: no number, read as 1
      {"15.ab.2010", "15.01.2010", true},   // month no number
      {"15.05.____", "15.05.2000", true},   // year no number: 1, then below 2000
      {"15/05/1999", "15/05/2000", true},   // the third character separates
      {"15.05", "15.05.2000", true},        // the missing year reads as 1
      {"", "01.01.2000", true},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Typed);
    const TCheckedDate checked = CheckDate(row.Typed);
    EXPECT_EQ(checked.Text, row.Shown);
    EXPECT_EQ(checked.Corrected, row.Corrected);
  }
}

}  // namespace
}  // namespace velt
