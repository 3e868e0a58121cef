// At the window's fixed size, with the Russian string files and records,
// configurations and a live frame from the simulated instrument, nothing on
// any tab is cut: table captions and values, column titles, labels and the
// report header's preset texts show whole, and no control runs past the
// edge of its page.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>

#include <ui/mainwindow/PageControlUnit.h>
#include <ui/report/ReportTabUnit.h>
#include <ui/widgets/ElidedLabelUnit.h>
#include "ui/MainFormTestSupport.h"

namespace velt {
namespace {

using testing::TMainFormFixture;

enum : int { kSetupTab = 1, kOnlineTab = 2, kReportTab = 3 };

std::string Name(const QWidget& widget) {
  return widget.objectName().toStdString() + " (" + widget.metaObject()->className() + ")";
}

// Everything cut on a page, one line per finding.
std::vector<std::string> CutOn(QWidget& page) {
  std::vector<std::string> cut;
  const auto fits = [&cut](const QWidget& widget, const QString& text, int room) {
    const int needs = widget.fontMetrics().horizontalAdvance(text);
    if (!text.isEmpty() && needs > room) {
      cut.push_back(Name(widget) + ": \"" + text.toStdString() + "\" needs " + std::to_string(needs) +
                    ", has " + std::to_string(room));
    }
  };
  for (QWidget* widget : page.findChildren<QWidget*>()) {
    if (!widget->isVisibleTo(&page) || widget->width() == 0) {
      continue;
    }
    if (widget->mapTo(&page, QPoint(widget->width(), 0)).x() > page.width()) {
      cut.push_back(Name(*widget) + " runs past the page");
    }
    if (auto* table = qobject_cast<QTableWidget*>(widget)) {
      const QHeaderView& header = *table->horizontalHeader();
      for (int column = 0; column < table->columnCount(); ++column) {
        const int room = table->columnWidth(column) - 6;  // the cell's text margins
        if (header.isVisible() && table->horizontalHeaderItem(column) != nullptr) {
          fits(header, table->horizontalHeaderItem(column)->text(), room);
        }
        // The report grid's title row (its own smaller font, line by line)
        // has a test of its own.
        const bool titled = table->objectName().endsWith("ReportStringGrid");
        for (int row = titled ? 1 : 0; !header.isVisible() && row < table->rowCount(); ++row) {
          if (table->item(row, column) != nullptr) {
            fits(*table, table->item(row, column)->text(), room);
          }
        }
      }
      if (!header.isVisible() && header.length() > table->viewport()->width()) {
        cut.push_back(Name(*table) + " is wider than it shows");
      }
    } else if (auto* label = qobject_cast<QLabel*>(widget);
               label != nullptr && !label->wordWrap() && dynamic_cast<TElidedLabel*>(label) == nullptr &&
               label->pixmap().isNull()) {
      fits(*label, label->text(), label->contentsRect().width());
    } else if (auto* combo = qobject_cast<QComboBox*>(widget); combo != nullptr && combo->isEditable()) {
      fits(*combo->lineEdit(), combo->currentText(), combo->lineEdit()->width() - 4);
    }
  }
  return cut;
}

TEST(LayoutFitTest, NothingIsCutOnAnyTab) {
  for (const char* profile : {"2:5.4.4", "1:3.26"}) {
    SCOPED_TRACE(profile);
    TMainFormFixture f(profile);
    TVELTMainForm& form = f.Start();
    form.Action("ReceiveFlawsAction")->trigger();
    form.PageControl().setCurrentIndex(kSetupTab);
    form.Action("ReceiveConfigsAction")->trigger();
    form.PageControl().setCurrentIndex(kOnlineTab);
    testing::ProcessEventsUntil([] { return false; }, 300);
    for (int tab = 0; tab < form.PageControl().count(); ++tab) {
      form.PageControl().setCurrentIndex(tab);
      QApplication::processEvents();
      for (const std::string& finding : CutOn(*form.PageControl().widget(tab))) {
        ADD_FAILURE() << "tab " << tab << ": " << finding;
      }
    }
    QComboBox* types = form.PageControl().widget(kReportTab)->findChild<QComboBox*>("ReportTypeSelectorComboBox");
    ASSERT_NE(types, nullptr);
    types->setCurrentIndex(1);
    QApplication::processEvents();
    for (const std::string& finding : CutOn(*form.PageControl().widget(kReportTab))) {
      ADD_FAILURE() << "report type 2: " << finding;
    }
  }
}

}  // namespace
}  // namespace velt
