// Parameter tables keep their captions whole: the caption column as wide as
// its widest text, the values the rest of the table, nothing to scroll when
// an in-place editor opens.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableWidget>

#include <ui/widgets/GridAdaptersUnit.h>
#include "ui/QtApplicationEnvironment.h"

namespace velt {
namespace {

struct TFitCase {
  const char* Name;
  int Minimum;
  bool DropDowns;
  int Width;  // the width the layout gives the table
};

TEST(KeepCaptionsWholeTest, CaptionsWholeValuesTheRestNothingScrolls) {
  const TFitCase cases[] = {
      {"narrow caption, wide table", 0, false, 400},
      {"minimum wider than the captions", 260, false, 342},
      {"drop-down values", 0, true, 300},
  };
  for (const TFitCase& c : cases) {
    SCOPED_TRACE(c.Name);
    QTableWidget table(3, 2);
    table.horizontalHeader()->hide();
    KeepCaptionsWhole(table, c.Minimum);
    if (c.DropDowns) {
      LeaveRoomForDropDowns(table);
    }
    const QStringList captions = {"Стрела преобразователя, мм", "Частота, МГц", "Опорный отражатель, кв. мм"};
    for (int row = 0; row < 3; ++row) {
      table.setItem(row, 0, new QTableWidgetItem(captions[row]));
      table.setItem(row, 1, new QTableWidgetItem(row == 0 ? "совмещенный" : "3,0"));
    }
    const QFontMetrics metrics(table.font());
    int widestCaption = 0;
    for (const QString& caption : captions) {
      widestCaption = std::max(widestCaption, metrics.horizontalAdvance(caption));
    }
    const int valueText = metrics.horizontalAdvance("совмещенный");
    EXPECT_GT(table.columnWidth(0), std::max(widestCaption, c.Minimum - 1));
    EXPECT_GT(table.minimumWidth() - table.columnWidth(0), valueText + (c.DropDowns ? 16 : 0));

    table.resize(std::max(c.Width, table.minimumWidth()), 80);
    table.show();
    QApplication::processEvents();
    EXPECT_EQ(table.columnWidth(0) + table.columnWidth(1), table.viewport()->width());
    table.setCurrentCell(2, 1);
    table.editItem(table.item(2, 1));
    QApplication::processEvents();
    EXPECT_EQ(table.horizontalScrollBar()->value(), 0);

    // A wider value later widens what the table asks for, never narrows it.
    const int asked = table.minimumWidth();
    table.item(1, 1)->setText("очень длинное значение параметра");
    EXPECT_GT(table.minimumWidth(), asked);
    table.item(1, 1)->setText("1");
    EXPECT_GT(table.minimumWidth(), asked);
  }
}

}  // namespace
}  // namespace velt
