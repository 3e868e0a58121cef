// The program's pictures: every picture of the control button image list is
// built in and tells its state apart from the other states of its mode; the
// mode indicators show the picture of their image index while still giving
// the index back; the press-and-hold and freeze buttons of the main window
// show their pictures, sharp at their icon size, after the tabs' texts; the
// actions of the data, setup and report tool bars and the print preview's
// buttons show theirs, the tool bars with the keys beside the pictures.
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QToolBar>
#include <QToolButton>
#include <array>
#include <set>
#include <memory>
#include <vector>

#include <config/BaseConfigObjectsUnit.h>
#include <ui/report/QuickRepViewerUnit.h>
#include <ui/widgets/PicturesUnit.h>
#include <ui/widgets/TabSupportUnit.h>

#include "ui/MainFormTestSupport.h"

namespace velt {
namespace {

// The picture as the SVG renderer draws it at `size`, straight from the file.
QImage Rendered(const QString& resource, QSize size) {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QSvgRenderer renderer(resource);
  EXPECT_TRUE(renderer.isValid()) << resource.toStdString();
  QPainter painter(&image);
  renderer.render(&painter);
  return image;
}

// What an icon shows at `size` on a screen of pixel ratio 1.
QImage Shown(const QIcon& icon, QSize size) {
  return icon.pixmap(size, 1.0).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

TEST(ModeIndicatorPictures, EveryIndexOfTheRuleHasAPictureAndNothingElseHasOne) {
  struct TCase {
    int Index;
    bool Drawn;
  };
  const TCase cases[] = {{-1, false}, {0, true},   {7, true},  {10, true},
                         {19, true},  {20, false}, {22, false}};
  for (const TCase c : cases) {
    EXPECT_EQ(!ModeIndicatorPicture(c.Index).isEmpty(), c.Drawn) << c.Index;
    EXPECT_EQ(!ModeIndicatorIcon(c.Index).isNull(), c.Drawn) << c.Index;
  }
  for (int index = 0; index < 20; ++index) {
    EXPECT_TRUE(QSvgRenderer(ModeIndicatorPicture(index)).isValid()) << index;
  }
}

// The states one indicator steps through must each look different, or the
// user cannot read the indicator; the full views of screen modes 1, 2 and 5
// are one picture.
TEST(ModeIndicatorPictures, TheStatesOfEachModeLookDifferent) {
  struct TCase {
    const char* Mode;
    std::vector<int> Indices;
  };
  const TCase cases[] = {
      {"first strobe: strobe, cursor", {0, 1}},
      {"second strobe: strobe, cursor", {2, 3}},
      {"both strobes", {0, 2}},
      {"signal type: filled, line, band, radio frequency", {4, 5, 6, 7}},
      {"screen mode: full, split, no trace", {8, 10, 11}},
      {"strobe rule: crossing, peak, n-th echo, two strobes", {13, 14, 15, 16}},
      {"time gain: off, TGV, DGS", {17, 18, 19}},
  };
  const QSize size(16, 16);
  for (const TCase& c : cases) {
    for (std::size_t i = 0; i < c.Indices.size(); ++i) {
      for (std::size_t j = i + 1; j < c.Indices.size(); ++j) {
        EXPECT_NE(Rendered(ModeIndicatorPicture(c.Indices[i]), size),
                  Rendered(ModeIndicatorPicture(c.Indices[j]), size))
            << c.Mode << ": " << c.Indices[i] << " and " << c.Indices[j];
      }
    }
  }
  EXPECT_EQ(Rendered(ModeIndicatorPicture(8), size), Rendered(ModeIndicatorPicture(9), size));
  EXPECT_EQ(Rendered(ModeIndicatorPicture(8), size), Rendered(ModeIndicatorPicture(12), size));
}

TEST(ModeIndicators, ShowThePictureOfTheirIndexAndGiveTheIndexBack) {
  std::vector<std::unique_ptr<QToolButton>> owned;
  std::array<QToolButton*, 6> buttons{};
  for (QToolButton*& b : buttons) {
    owned.push_back(std::make_unique<QToolButton>());
    b = owned.back().get();
    b->setIconSize(QSize(16, 16));
  }
  struct TCase {
    std::uint8_t Tgv, Rule;
    std::uint16_t Screen;
    std::uint8_t Signal, Cursor1, Cursor2;
    std::array<int, 6> Indices;
  };
  const TCase cases[] = {
      {0, 0, 1, 0, 0, 0, {17, 13, 8, 4, 0, 2}},
      {1, 2, 3, 3, 1, 1, {18, 15, 10, 7, 1, 3}},
      {2, 3, 1, 2, 0, 1, {19, 16, 8, 6, 0, 3}},
  };
  for (const TCase& c : cases) {
    TBaseConfigCell cell;
    cell.TVG_ENABLED = c.Tgv;
    cell.STROBE_ALGORYTHM = c.Rule;
    cell.SCREEN_MODE = c.Screen;
    cell.SIGNAL_TYPE = c.Signal;
    cell.CURSOR_1_ENABLED = c.Cursor1;
    cell.CURSOR_2_ENABLED = c.Cursor2;
    ShowModeIndicators(buttons, &cell);
    EXPECT_EQ(ShownModeIndicators(buttons), c.Indices);
    // Drawn for the size shown, never scaled from another size: whole on the
    // buttons' 16 pixels and on 32 (a screen of pixel ratio 2), and the 16
    // pixel picture centred in the 24 of a style with larger tool icons.
    for (std::size_t i = 0; i < buttons.size(); ++i) {
      const QString picture = ModeIndicatorPicture(c.Indices[i]);
      EXPECT_EQ(Shown(buttons[i]->icon(), QSize(16, 16)), Rendered(picture, QSize(16, 16)))
          << "button " << i << ", index " << c.Indices[i];
      EXPECT_EQ(Shown(buttons[i]->icon(), QSize(32, 32)), Rendered(picture, QSize(32, 32)))
          << "button " << i << ", index " << c.Indices[i];
      QImage centred(24, 24, QImage::Format_ARGB32_Premultiplied);
      centred.fill(Qt::transparent);
      QPainter(&centred).drawImage(4, 4, Rendered(picture, QSize(16, 16)));
      EXPECT_EQ(Shown(buttons[i]->icon(), QSize(24, 24)), centred)
          << "button " << i << ", index " << c.Indices[i];
    }
  }
  // Without a configuration: no picture and no index.
  ShowModeIndicators(buttons, nullptr);
  EXPECT_EQ(ShownModeIndicators(buttons), (std::array<int, 6>{-1, -1, -1, -1, -1, -1}));
  for (QToolButton* b : buttons) {
    EXPECT_TRUE(b->icon().isNull());
  }
}

// Each button's picture says what its hint says: the short range compresses
// the sweep (value string 124), the long one stretches it (123).
TEST(ButtonPictures, TheMainWindowsHoldAndFreezeButtonsShowTheirPicturesAfterTheTexts) {
  testing::TMainFormFixture f("1:4.0.3");
  TVELTMainForm& form = f.Start();  // the first showing loads the texts
  struct TCase {
    const char* Button;
    const char* Picture;
    const char* Text;
  };
  const TCase cases[] = {
      {"FreezeOnlineToolButton", "freeze", "(*)"},
      {"OnLineGainUpToolButton", "gain-up", "Up"},
      {"OnLineGainDownToolButton", "gain-down", "Down"},
      {"OnLineRangeShortToolButton", "range-compress", "Left"},
      {"OnLineRangeLongToolButton", "range-stretch", "Right"},
      {"OnLineVCursorLeftToolButton", "cursor-left", "\"-\""},
      {"OnLineVCursorRightToolButton", "cursor-right", "\"+\""},
      {"SetupGainUpToolButton", "gain-up", "Up"},
      {"SetupGainDownToolButton", "gain-down", "Down"},
      {"SetupRangeShortToolButton", "range-compress", "Left"},
      {"SetupRangeLongToolButton", "range-stretch", "Right"},
  };
  for (const TCase& c : cases) {
    auto* button = form.findChild<QToolButton*>(c.Button);
    ASSERT_NE(button, nullptr) << c.Button;
    EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonIconOnly) << c.Button;
    const QSize size = button->iconSize();
    EXPECT_EQ(Shown(button->icon(), size),
              Rendered(QStringLiteral(":/pictures/%1.svg").arg(c.Picture), size))
        << c.Button;
    // The text and the hint are kept (the hint window and the Ctrl cue use them).
    EXPECT_EQ(button->text().toStdString(), c.Text) << c.Button;
    EXPECT_TRUE(button->toolTip().startsWith(QStringLiteral("<B>Ctrl + "))) << c.Button;
  }
}

// Every picture of the action table is built in, drawn on the 16 x 16 grid,
// not empty, and no two different pictures look alike at 16 pixels.
TEST(ActionPictures, EveryPictureIsBuiltInOnTheGridAndUnlikeTheOthers) {
  std::set<std::string> resources;
  for (const TActionPicture& picture : kActionPictures) {
    resources.insert(picture.Resource);
  }
  const QSize size(16, 16);
  for (const std::string& resource : resources) {
    const QString name = QString::fromStdString(resource);
    ASSERT_TRUE(QFile::exists(name)) << resource;
    QSvgRenderer renderer(name);
    ASSERT_TRUE(renderer.isValid()) << resource;
    EXPECT_EQ(renderer.defaultSize(), size) << resource;
    QImage blank(size, QImage::Format_ARGB32_Premultiplied);
    blank.fill(Qt::transparent);
    EXPECT_NE(Rendered(name, size), blank) << resource;
    for (const std::string& other : resources) {
      if (other < resource) {
        EXPECT_NE(Rendered(name, size), Rendered(QString::fromStdString(other), size))
            << resource << " and " << other;
      }
    }
  }
}

// The data, setup and report tool bars hold exactly these actions, in this
// order, each showing its picture with its key beside it.
TEST(ActionPictures, TheTabToolBarsShowEachActionsPictureWithItsKeyBeside) {
  testing::TMainFormFixture f("1:4.0.3");
  TVELTMainForm& form = f.Start();
  struct TCase {
    const char* ToolBar;
    std::vector<std::pair<const char*, const char*>> Actions;  // name, picture
  };
  const TCase cases[] = {
      {"FlawsToolBar",
       {{"ReceiveFlawsAction", "receive"}, {"UnplugDeviceAction", "unplug"},
        {"OpenFlawsAction", "open-flaws"}, {"SaveFlawsAction", "save-flaws"},
        {"FirstFlawAction", "first"}, {"PrevFlawAction", "previous"},
        {"NextFlawAction", "next"}, {"LastFlawAction", "last"},
        {"PrintSimpleFlawsAction", "print-flaws"}, {"PreviewSimpleFlawsAction", "preview-flaws"}}},
      {"ConfigsToolBar",
       {{"ReceiveConfigsAction", "receive"}, {"SetConfigsAction", "send"},
        {"UnplugDeviceAction", "unplug"}, {"LoadConfigsAction", "open-configs"},
        {"SaveConfigsAction", "save-configs"}, {"FirstConfigAction", "first"},
        {"PrevConfigAction", "previous"}, {"NextConfigAction", "next"},
        {"LastConfigAction", "last"}}},
      {"ReportsToolBar",
       {{"ReportSummaryAction", "report-summary"}, {"OpenReportFileAction", "open-report"},
        {"SaveReportFileAction", "save-report"}, {"FirstReportSelectAction", "first"},
        {"PreviousReportSelectAction", "previous"}, {"NextReportSelectAction", "next"},
        {"LastReportSelectAction", "last"}, {"PrintReportsAction", "print-report"},
        {"PreviewReportsAction", "preview-report"}, {"OpenQRPReportAction", "open-protocol"}}},
  };
  for (const TCase& c : cases) {
    auto* tools = form.findChild<QToolBar*>(c.ToolBar);
    ASSERT_NE(tools, nullptr) << c.ToolBar;
    std::vector<std::string> shown;
    for (QAction* action : tools->actions()) {
      if (!action->isSeparator()) {
        shown.push_back(action->objectName().toStdString());
      }
    }
    std::vector<std::string> expected;
    for (const auto& [name, picture] : c.Actions) {
      expected.push_back(name);
    }
    EXPECT_EQ(shown, expected) << c.ToolBar;
    for (const auto& [name, picture] : c.Actions) {
      auto* action = form.findChild<QAction*>(name);
      ASSERT_NE(action, nullptr) << name;
      auto* button = qobject_cast<QToolButton*>(tools->widgetForAction(action));
      ASSERT_NE(button, nullptr) << name;
      EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonTextBesideIcon) << c.ToolBar << " " << name;
      ASSERT_FALSE(button->icon().isNull()) << name;
      EXPECT_EQ(Shown(button->icon(), QSize(16, 16)),
                Rendered(QStringLiteral(":/pictures/%1.svg").arg(picture), QSize(16, 16)))
          << name;
      EXPECT_TRUE(button->text().startsWith(QLatin1Char('F'))) << name;
    }
  }
}

TEST(ActionPictures, ThePreviewWindowsButtonsShowTheProgramsPictures) {
  testing::TRecordingFeedback feedback;
  TLocalStrings strings{feedback};
  TQuickRepViewerForm viewer(strings, feedback);
  const std::pair<const char*, const char*> cases[] = {
      {"ZoomToFitButton", "zoom-page"},   {"Zoom100Button", "zoom-100"},
      {"ZoomToWidthButton", "zoom-width"}, {"FirstPageButton", "first"},
      {"PrevPageButton", "previous"},      {"NextPageButton", "next"},
      {"LastPageButton", "last"},          {"GotoPageButton", "go-to-page"},
      {"PrintSetupButton", "print-setup"}, {"PrintButton", "print-report"},
      {"SaveReportButton", "save-protocol"}, {"OpenReportButton", "open-protocol"},
  };
  ASSERT_EQ(std::size(cases), std::size(kPreviewButtons));
  for (const auto& [name, picture] : cases) {
    auto* action = viewer.findChild<QAction*>(name);
    ASSERT_NE(action, nullptr) << name;
    ASSERT_FALSE(action->icon().isNull()) << name;
    EXPECT_EQ(Shown(action->icon(), QSize(16, 16)),
              Rendered(QStringLiteral(":/pictures/%1.svg").arg(picture), QSize(16, 16)))
        << name;
  }
}

}  // namespace
}  // namespace velt
