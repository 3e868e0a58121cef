// The report grid's in-place editor on both panels, driven as the user
// drives it: clicks on cells, keys into the focused control, the pointer
// over the grid.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTableWidget>
#include <QWidget>
#include <array>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include <records/UniversalDataObjectUnit.h>
#include <reports/ReportHeadersUnit.h>
#include <strings/LocalStringsUnit.h>
#include <ui/report/ReportGridEditorUnit.h>
#include <ui/report/ReportHeaderPanelsUnit.h>
#include <ui/widgets/Cp1251.h>
#include <ui/widgets/htmlhint.h>

#include "support/RecordingFeedback.h"
#include "ui/QtApplicationEnvironment.h"

namespace velt {
namespace {

constexpr int kRecords = 12;

class ReportGridEditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Strings.LoadStringFiles(VELT_SOURCE_DIR "/strings"));
    auto* layout = new QHBoxLayout(&Window);
    Panel1 = new TSimpleReportMainReportPanel;
    Panel2 = new TSimpleReport2MainReportPanel;
    Selector = new QLineEdit;  // stands in for the tab's flaw selector
    layout->addWidget(Panel1);
    layout->addWidget(Panel2);
    layout->addWidget(Selector);
    Panel1->LoadTexts(Strings);
    Panel2->LoadTexts(Strings);
    Form = std::make_unique<TReportTabForm>(*Panel1, *Panel2, true);
    for (int i = 0; i < kRecords; ++i) {
      Records.push_back(std::make_unique<TDataCell>());
      Records.back()->FlawNumber = static_cast<std::uint16_t>(500 + i);
      Header1.AddFlaw(*Form, *Records.back(), true);
      Header2.AddFlaw(*Form, *Records.back(), true);
    }
    Editors[0] = std::make_unique<TReportGridEditor>(*Panel1, Strings, Feedback,
                                                     [this] { return Current1; });
    Editors[1] = std::make_unique<TReportGridEditor>(*Panel2, Strings, Feedback,
                                                     [this] { return &Header2; });
    for (auto& editor : Editors) {
      editor->SetFocusTarget(Selector);
    }
    Window.resize(1800, 900);
    Window.show();
    Window.activateWindow();
    QApplication::processEvents();
  }

  QTableWidget& Grid(int type) { return *Panel(type).ReportGrid(); }
  QLineEdit& Line(int type) { return *Panel(type).ReportGridEditor(); }
  TReportGridEditor& Editor(int type) { return *Editors[static_cast<std::size_t>(type - 1)]; }
  TReportHeaderPanel& Panel(int type) {
    return type == 1 ? static_cast<TReportHeaderPanel&>(*Panel1) : *Panel2;
  }
  QString Cell(int type, int column, int row) {
    const QTableWidgetItem* item = Grid(type).item(row, column);
    return item ? item->text() : QString();
  }
  void SetCell(int type, int column, int row, const QString& text) {
    Grid(type).setItem(row, column, new QTableWidgetItem(text));
  }
  // Mouse events of the pointer at a cell's centre, as the grid gets them.
  void Mouse(int type, int column, int row, std::initializer_list<QEvent::Type> kinds) {
    QWidget* viewport = Grid(type).viewport();
    const QPoint at = Grid(type).visualRect(Grid(type).model()->index(row, column)).center();
    for (QEvent::Type kind : kinds) {
      const Qt::MouseButton button = kind == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
      QMouseEvent event(kind, at, viewport->mapToGlobal(at), button,
                        kind == QEvent::MouseButtonPress ? button : Qt::NoButton, Qt::NoModifier);
      QApplication::sendEvent(viewport, &event);
    }
  }
  void Click(int type, int column, int row) {
    Mouse(type, column, row, {QEvent::MouseButtonPress, QEvent::MouseButtonRelease});
  }
  // A key into the control that has the focus, as the keyboard sends it.
  static void Press(int key, const QString& text = {}) {
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(focus, &event);
  }
  static void Type(const QString& text) {
    for (const QChar c : text) {
      Press(c.unicode(), QString(c));
    }
  }

  testing::TRecordingFeedback Feedback;
  TLocalStrings Strings{Feedback};
  std::vector<std::unique_ptr<TDataCell>> Records;
  TSimpleReportHeader Header1;
  TSimpleReport2Header Header2;
  TSimpleReportHeader Empty;
  TBaseReportHeader* Current1 = &Header1;
  QWidget Window;
  TSimpleReportMainReportPanel* Panel1 = nullptr;
  TSimpleReport2MainReportPanel* Panel2 = nullptr;
  QLineEdit* Selector = nullptr;
  std::unique_ptr<TReportTabForm> Form;
  std::array<std::unique_ptr<TReportGridEditor>, 2> Editors;
};

TEST_F(ReportGridEditorTest, ClickPlacesTheEditorOverADataCellOnly) {
  SetCell(1, 5, 3, "ab");
  SetCell(2, 9, 2, "cdef");
  struct TRow {
    int Type, Column, Row;
    bool Placed;
  };
  // Not on the flaw numbers (type 1 column 7, type 2 column 1), the entry
  // numbers or the titles.
  const TRow rows[] = {{1, 7, 2, false}, {2, 1, 2, false}, {1, 0, 2, false},
                       {2, 4, 0, false}, {1, 5, 3, true},  {2, 9, 2, true}};
  for (const TRow& row : rows) {
    SCOPED_TRACE(std::to_string(row.Type) + "/" + std::to_string(row.Column));
    Click(row.Type, row.Column, row.Row);
    QLineEdit& line = Line(row.Type);
    ASSERT_EQ(Editor(row.Type).EditorVisible(), row.Placed);
    if (row.Placed) {
      const QRect cell =
          Grid(row.Type).visualRect(Grid(row.Type).model()->index(row.Row, row.Column));
      EXPECT_EQ(line.geometry(), cell.translated(1, 1).adjusted(0, 0, 1, 1));
      EXPECT_EQ(line.text(), Cell(row.Type, row.Column, row.Row));
      EXPECT_TRUE(line.hasFocus());
      EXPECT_EQ(line.cursorPosition(), 1);
      EXPECT_FALSE(line.hasSelectedText());
    }
  }
}

TEST_F(ReportGridEditorTest, TypingPastTheColumnLimitBeepsAndCuts) {
  struct TRow {
    int Type, Column, Limit;
  };
  for (const TRow& row : {TRow{1, 6, 8}, TRow{2, 2, 11}}) {
    SCOPED_TRACE(std::to_string(row.Type) + "/" + std::to_string(row.Column));
    Feedback.Beeps = 0;
    Click(row.Type, row.Column, 1);
    Type(QString(row.Limit, 'x'));
    EXPECT_EQ(Feedback.Beeps, 0);
    Type("y");
    EXPECT_EQ(Feedback.Beeps, 1);
    EXPECT_EQ(Line(row.Type).text(), QString(row.Limit, 'x'));
    EXPECT_EQ(Line(row.Type).cursorPosition(), row.Limit);
    Press(Qt::Key_Return);
    EXPECT_EQ(Cell(row.Type, row.Column, 1), QString(row.Limit, 'x'));
  }
  // Typed onto the grid's cell directly, the text goes through the editor.
  Click(1, 6, 2);
  Press(Qt::Key_Escape);
  Grid(1).setFocus();
  Type("123456789");
  EXPECT_EQ(Line(1).text(), "12345678");
  EXPECT_EQ(Feedback.Beeps, 2);
}

TEST_F(ReportGridEditorTest, WithoutRecordsTheEditorStaysEmpty) {
  SetCell(1, 2, 1, "old");
  Current1 = &Empty;
  Click(1, 2, 1);
  EXPECT_EQ(Line(1).text(), "");
  Type("abc");
  EXPECT_EQ(Line(1).text(), "");
}

TEST_F(ReportGridEditorTest, KeysStoreDropAndMove) {
  struct TRow {
    const char* What;
    int Type, Column, Row;
    bool CaretHome;
    int Key;
    int ToColumn, ToRow;  // where the editor is after the key (-1: hidden)
    bool Stored;
  };
  const TRow rows[] = {
      {"enter", 1, 2, 3, false, Qt::Key_Return, -1, -1, true},
      {"tab, type 1", 1, 2, 3, false, Qt::Key_Tab, -1, -1, true},
      {"tab, type 2", 2, 4, 3, false, Qt::Key_Tab, -1, -1, true},
      {"escape", 2, 4, 3, false, Qt::Key_Escape, -1, -1, false},
      {"down", 1, 3, 4, false, Qt::Key_Down, 3, 5, true},
      {"up", 2, 3, 4, false, Qt::Key_Up, 3, 3, true},
      {"up on row 1", 2, 3, 1, false, Qt::Key_Up, 3, 1, false},
      {"down on the last row", 1, 3, kRecords, false, Qt::Key_Down, 3, kRecords, false},
      {"right at the end, over the flaw number", 1, 6, 2, false, Qt::Key_Right, 8, 2, true},
      {"left at 0, over the flaw number", 1, 8, 2, true, Qt::Key_Left, 6, 2, true},
      {"left at 0 from column 3, type 2", 2, 3, 2, true, Qt::Key_Left, 2, 2, true},
      {"left at 0 from column 2, type 2", 2, 2, 2, true, Qt::Key_Left, 2, 2, false},
      {"left inside the text", 1, 3, 2, false, Qt::Key_Left, 3, 2, false},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.What);
    SetCell(row.Type, row.Column, row.Row, "");
    Click(row.Type, row.Column, row.Row);
    ASSERT_TRUE(Line(row.Type).hasFocus());
    Type("ab");
    if (row.CaretHome) {
      Press(Qt::Key_Home);
    }
    Press(row.Key);
    TReportGridEditor& editor = Editor(row.Type);
    if (row.ToColumn < 0) {
      EXPECT_FALSE(editor.EditorVisible());
      EXPECT_TRUE(Selector->hasFocus());
    } else {
      EXPECT_TRUE(editor.EditorVisible());
      EXPECT_EQ(editor.EditColumn(), row.ToColumn);
      EXPECT_EQ(editor.EditRow(), row.ToRow);
    }
    EXPECT_EQ(Cell(row.Type, row.Column, row.Row), row.Stored ? "ab" : "");
    Press(Qt::Key_Escape);
  }
}

TEST_F(ReportGridEditorTest, LeavingOrScrollingStoresTheEdit) {
  // Leaving by a click elsewhere.
  Click(2, 5, 2);
  Type("ab");
  Selector->setFocus(Qt::MouseFocusReason);
  EXPECT_FALSE(Editor(2).EditorVisible());
  EXPECT_EQ(Cell(2, 5, 2), "ab");
  // Leaving by a click on another cell of the grid.
  Click(2, 5, 3);
  Type("cd");
  Click(2, 6, 3);
  EXPECT_EQ(Cell(2, 5, 3), "cd");
  EXPECT_EQ(Editor(2).EditColumn(), 6);
  EXPECT_TRUE(Line(2).hasFocus());
  // Scrolling the grid: stored, and the editor stays on its cell.
  Grid(1).setFixedHeight(Grid(1).rowHeight(0) + 4 * Grid(1).rowHeight(1));
  QApplication::processEvents();
  Click(1, 2, 1);
  Type("ef");
  QScrollBar& bar = *Grid(1).verticalScrollBar();
  ASSERT_GT(bar.maximum(), 0);
  bar.setValue(bar.value() + 1);
  EXPECT_EQ(Cell(1, 2, 1), "ef");
  EXPECT_TRUE(Editor(1).EditorVisible());
  const QRect cell = Grid(1).visualRect(Grid(1).model()->index(1, 2));
  EXPECT_EQ(Line(1).pos(), cell.topLeft() + QPoint(1, 1));
}

TEST_F(ReportGridEditorTest, HintsOfTitleAndDataCells) {
  const auto caption = [this](int n) {
    return FromCp1251(Strings.Caption(static_cast<std::uint16_t>(n)));
  };
  SetCell(2, 7, 4, "a<b");
  auto* window = new THTMLHint(&Window);  // the main window's hints
  struct TRow {
    int Type, Column, Row;
    QString Hint;
  };
  const TRow rows[] = {
      {1, 1, 0, caption(73) + "\n" + caption(74) + "\n" + caption(75)},
      {2, 3, 0, caption(165)},
      {1, 2, 2, caption(86)},
      {2, 7, 4, "a&lt;b"},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Hint.toStdString());
    ASSERT_FALSE(row.Hint.isEmpty());
    Mouse(row.Type, row.Column, row.Row, {QEvent::MouseMove});
    EXPECT_EQ(Grid(row.Type).viewport()->toolTip(), row.Hint);
    ASSERT_TRUE(window->HintWindow()->isVisible());  // at once, at the pointer
    EXPECT_EQ(window->HintWindow()->Text(), row.Hint);
  }
  EXPECT_EQ(Header2.LastHintColumn, 7);
  EXPECT_EQ(Header2.LastHintRow, 4);
  // Within the same cell the hint is not set again.
  Grid(2).viewport()->setToolTip("kept");
  Mouse(2, 7, 4, {QEvent::MouseMove});
  EXPECT_EQ(Grid(2).viewport()->toolTip(), "kept");
}

TEST_F(ReportGridEditorTest, UpAndDownKeepTheRowWithinSevenRowsOfTheTop) {
  // Room for the title and 9 rows.
  Grid(1).setFixedHeight(Grid(1).rowHeight(0) + 9 * Grid(1).rowHeight(1) + 4);
  QApplication::processEvents();
  Click(1, 2, 1);
  for (int i = 0; i < 8; ++i) {
    Press(Qt::Key_Down);
  }
  EXPECT_EQ(Editor(1).EditRow(), 9);
  EXPECT_EQ(Grid(1).rowAt(0), 2);  // row 9 in sight from row 1 on would be 8 below
  for (int i = 0; i < 8; ++i) {
    Press(Qt::Key_Up);
  }
  EXPECT_EQ(Editor(1).EditRow(), 1);
  EXPECT_EQ(Grid(1).rowAt(0), 0);  // back on row 1, with the titles above it
}

}  // namespace
}  // namespace velt
