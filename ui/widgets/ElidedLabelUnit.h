// A one-line label that keeps its whole text and shows what fits of it,
// cut in the middle with "…" (a file path keeps its start and its file
// name).
#pragma once

#include <QLabel>

namespace velt {

class TElidedLabel : public QLabel {
 public:
  using QLabel::QLabel;

  // The text as painted at the present width.
  QString ShownText() const;

  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
};

}  // namespace velt
