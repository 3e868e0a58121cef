// The main window's tab pictures: each tab of the page control shows its
// active picture (image index 0) while it is the current tab and its
// inactive one (image index 1) while it is hidden, tabs added later
// included.
#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>
#include <array>

#include <ui/mainwindow/PageControlUnit.h>
#include "ui/QtApplicationEnvironment.h"

namespace velt {
namespace {

QImage Shown(const QIcon& icon, int size) {
  return icon.pixmap(QSize(size, size), 1.0).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void AddTabs(TPageControl& control, int tabs) {
  for (int tab = 0; tab < tabs; ++tab) {
    control.addTab(new QWidget(&control), QString());
  }
}

TEST(PageControlTest, TheCurrentTabHasImageIndexZeroTheOthersOne) {
  TPageControl control;
  EXPECT_EQ(control.TabImageIndex(0), -1);
  AddTabs(control, 4);
  struct TCase {
    int Current;
    std::array<int, 4> Indexes;
  };
  const TCase cases[] = {
      {0, {0, 1, 1, 1}}, {2, {1, 1, 0, 1}}, {3, {1, 1, 1, 0}}, {1, {1, 0, 1, 1}}, {0, {0, 1, 1, 1}},
  };
  for (const TCase& test : cases) {
    control.setCurrentIndex(test.Current);
    for (int tab = 0; tab < 4; ++tab) {
      EXPECT_EQ(control.TabImageIndex(tab), test.Indexes[tab]) << "current " << test.Current << ", tab " << tab;
    }
  }
  EXPECT_EQ(control.TabImageIndex(-1), -1);
  EXPECT_EQ(control.TabImageIndex(4), -1);
}

// Each tab has a picture of its own; the one it shows hidden differs from
// the one it shows current.
TEST(PageControlTest, EachTabShowsItsActiveAndItsInactivePicture) {
  TPageControl control;
  AddTabs(control, 4);
  std::array<QImage, 4> active;
  for (int tab = 0; tab < 4; ++tab) {
    control.setCurrentIndex(tab);
    ASSERT_FALSE(control.tabIcon(tab).isNull()) << tab;
    active[tab] = Shown(control.tabIcon(tab), 16);
    control.setCurrentIndex((tab + 1) % 4);
    ASSERT_FALSE(control.tabIcon(tab).isNull()) << tab;
    EXPECT_NE(Shown(control.tabIcon(tab), 16), active[tab]) << tab;
  }
  for (int tab = 0; tab < 4; ++tab) {
    for (int other = tab + 1; other < 4; ++other) {
      EXPECT_NE(active[tab], active[other]) << tab << " and " << other;
    }
  }
}

// A tab put before the current one moves it without a change of the current
// tab: the indexes follow the tabs all the same.
TEST(PageControlTest, ATabAddedLaterGetsTheImageIndexOfItsState) {
  TPageControl control;
  AddTabs(control, 2);
  control.setCurrentIndex(1);
  control.insertTab(0, new QWidget(&control), QString());
  ASSERT_EQ(control.currentIndex(), 2);
  EXPECT_EQ(control.TabImageIndex(0), 1);
  EXPECT_EQ(control.TabImageIndex(1), 1);
  EXPECT_EQ(control.TabImageIndex(2), 0);
  EXPECT_FALSE(control.tabIcon(0).isNull());
}

}  // namespace
}  // namespace velt
