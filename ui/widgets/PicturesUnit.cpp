#include <ui/widgets/PicturesUnit.h>

#include <QAction>
#include <QApplication>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>
#include <QToolBar>
#include <QToolButton>
#include <QWidget>

#include <algorithm>
#include <memory>
#include <utility>

namespace velt {

namespace {

// The control button image list holds pictures 0..19: the two strobes
// (0..3), the signal types (4..7), the screen modes (8..12), the strobe
// evaluation rules (13..16) and the time-gain modes (17..19).
constexpr int kModePictures = 20;

// An icon drawn from its SVG at the size asked for, so that it stays sharp
// whatever icon size the button or the style settles on (a toolbar's buttons
// take the style's tool bar icon size once shown); each size and mode is
// drawn once.
class TSvgIconEngine : public QIconEngine {
 public:
  explicit TSvgIconEngine(QString resource)
      : Resource(std::move(resource)), Renderer(std::make_shared<QSvgRenderer>(Resource)) {}

  bool IsValid() const { return Renderer->isValid(); }

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    const qreal ratio = painter->device() != nullptr ? painter->device()->devicePixelRatioF() : 1.0;
    QPixmap picture = pixmap(rect.size() * ratio, mode, state);
    picture.setDevicePixelRatio(ratio);
    painter->drawPixmap(rect, picture);
  }

  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
    if (size.isEmpty()) {
      return QPixmap();
    }
    const QString key =
        QStringLiteral("%1x%2/%3").arg(size.width()).arg(size.height()).arg(int(mode));
    auto found = Drawn.constFind(key);
    if (found != Drawn.constEnd()) {
      return *found;
    }
    QPixmap picture(size);
    picture.fill(Qt::transparent);
    {
      QPainter painter(&picture);
      Renderer->render(&painter, Target(size));
    }
    if (mode == QIcon::Disabled && qobject_cast<QApplication*>(QCoreApplication::instance())) {
      QStyleOption option;
      option.palette = QApplication::palette();
      picture = QApplication::style()->generatedIconPixmap(mode, picture, &option);
    }
    Drawn.insert(key, picture);
    return picture;
  }

  // The pictures are drawn on a pixel grid of their own size (16 x 16): a
  // larger icon gets the largest whole multiple of it that fits, centred, so
  // that no line falls between two pixels; a smaller one the picture scaled.
  QRect Target(const QSize& size) const {
    const QSize grid = Renderer->defaultSize();
    const int times = grid.isEmpty() ? 0 : std::min(size.width() / grid.width(), size.height() / grid.height());
    if (times < 1) {
      return QRect(QPoint(0, 0), size);
    }
    const QSize drawn = grid * times;
    return QRect(QPoint((size.width() - drawn.width()) / 2, (size.height() - drawn.height()) / 2),
                 drawn);
  }

  QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }

  QIconEngine* clone() const override { return new TSvgIconEngine(Resource); }

  QString key() const override { return QStringLiteral("velt-svg"); }

 private:
  QString Resource;
  std::shared_ptr<QSvgRenderer> Renderer;
  QHash<QString, QPixmap> Drawn;
};

}  // namespace

// Gain up and down raise and lower the echo; the short range compresses the
// sweep and the long one stretches it (their hints say so); the cursor
// buttons move the cursor line; freeze stops the picture.
const TButtonPicture kButtonPictures[11] = {
    {"FreezeOnlineToolButton", ":/pictures/freeze.svg"},
    {"OnLineGainUpToolButton", ":/pictures/gain-up.svg"},
    {"OnLineGainDownToolButton", ":/pictures/gain-down.svg"},
    {"OnLineRangeShortToolButton", ":/pictures/range-compress.svg"},
    {"OnLineRangeLongToolButton", ":/pictures/range-stretch.svg"},
    {"OnLineVCursorLeftToolButton", ":/pictures/cursor-left.svg"},
    {"OnLineVCursorRightToolButton", ":/pictures/cursor-right.svg"},
    {"SetupGainUpToolButton", ":/pictures/gain-up.svg"},
    {"SetupGainDownToolButton", ":/pictures/gain-down.svg"},
    {"SetupRangeShortToolButton", ":/pictures/range-compress.svg"},
    {"SetupRangeLongToolButton", ":/pictures/range-stretch.svg"},
};

// Receiving carries the data out of the instrument, sending into it; the
// first, previous, next and last pictures move through records, setups,
// report selections and preview pages alike; the drawn protocol (the
// preview window's pages) is a page with an echo picture, the report file a
// page with table lines.
const TActionPicture kActionPictures[40] = {
    // The data tab.
    {"ReceiveFlawsAction", ":/pictures/receive.svg"},
    {"UnplugDeviceAction", ":/pictures/unplug.svg"},
    {"OpenFlawsAction", ":/pictures/open-flaws.svg"},
    {"SaveFlawsAction", ":/pictures/save-flaws.svg"},
    {"FirstFlawAction", ":/pictures/first.svg"},
    {"PrevFlawAction", ":/pictures/previous.svg"},
    {"NextFlawAction", ":/pictures/next.svg"},
    {"LastFlawAction", ":/pictures/last.svg"},
    {"PrintSimpleFlawsAction", ":/pictures/print-flaws.svg"},
    {"PreviewSimpleFlawsAction", ":/pictures/preview-flaws.svg"},
    // The setup tab (its unplug action is the data tab's).
    {"ReceiveConfigsAction", ":/pictures/receive.svg"},
    {"SetConfigsAction", ":/pictures/send.svg"},
    {"LoadConfigsAction", ":/pictures/open-configs.svg"},
    {"SaveConfigsAction", ":/pictures/save-configs.svg"},
    {"FirstConfigAction", ":/pictures/first.svg"},
    {"PrevConfigAction", ":/pictures/previous.svg"},
    {"NextConfigAction", ":/pictures/next.svg"},
    {"LastConfigAction", ":/pictures/last.svg"},
    // The report tab.
    {"ReportSummaryAction", ":/pictures/report-summary.svg"},
    {"OpenReportFileAction", ":/pictures/open-report.svg"},
    {"SaveReportFileAction", ":/pictures/save-report.svg"},
    {"FirstReportSelectAction", ":/pictures/first.svg"},
    {"PreviousReportSelectAction", ":/pictures/previous.svg"},
    {"NextReportSelectAction", ":/pictures/next.svg"},
    {"LastReportSelectAction", ":/pictures/last.svg"},
    {"PrintReportsAction", ":/pictures/print-report.svg"},
    {"PreviewReportsAction", ":/pictures/preview-report.svg"},
    {"OpenQRPReportAction", ":/pictures/open-protocol.svg"},
    // The print preview window.
    {"ZoomToFitButton", ":/pictures/zoom-page.svg"},
    {"Zoom100Button", ":/pictures/zoom-100.svg"},
    {"ZoomToWidthButton", ":/pictures/zoom-width.svg"},
    {"FirstPageButton", ":/pictures/first.svg"},
    {"PrevPageButton", ":/pictures/previous.svg"},
    {"NextPageButton", ":/pictures/next.svg"},
    {"LastPageButton", ":/pictures/last.svg"},
    {"GotoPageButton", ":/pictures/go-to-page.svg"},
    {"PrintSetupButton", ":/pictures/print-setup.svg"},
    {"PrintButton", ":/pictures/print-report.svg"},
    {"SaveReportButton", ":/pictures/save-protocol.svg"},
    {"OpenReportButton", ":/pictures/open-protocol.svg"},
};

QString ModeIndicatorPicture(int index) {
  if (index < 0 || index >= kModePictures) {
    return QString();
  }
  return QStringLiteral(":/pictures/mode-%1.svg").arg(index);
}

QIcon PictureIcon(const QString& resource) {
  auto engine = std::make_unique<TSvgIconEngine>(resource);
  if (!engine->IsValid()) {
    return QIcon();
  }
  return QIcon(engine.release());
}

QIcon ModeIndicatorIcon(int index) {
  const QString resource = ModeIndicatorPicture(index);
  if (resource.isEmpty()) {
    return QIcon();
  }
  return PictureIcon(resource);
}

QIcon ActionPictureIcon(const QString& name) {
  for (const TActionPicture& picture : kActionPictures) {
    if (name == QLatin1String(picture.Action)) {
      return PictureIcon(QLatin1String(picture.Resource));
    }
  }
  return QIcon();
}

void ApplyButtonPictures(QWidget& root) {
  for (QAction* action : root.findChildren<QAction*>()) {
    const QIcon icon = ActionPictureIcon(action->objectName());
    if (!icon.isNull()) {
      action->setIcon(icon);
    }
  }
  // The tab tool bars' texts are only the keys, so they fit beside the
  // pictures; the whole hint is the tooltip.
  for (const char* name : {"FlawsToolBar", "ConfigsToolBar", "ReportsToolBar"}) {
    for (QToolBar* tools : root.findChildren<QToolBar*>(QLatin1String(name))) {
      tools->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    }
  }
  for (const TButtonPicture& picture : kButtonPictures) {
    for (QToolButton* button : root.findChildren<QToolButton*>(QLatin1String(picture.Button))) {
      // The text stays for the hint window and the Ctrl cue; only the
      // picture is shown.
      button->setIcon(PictureIcon(QLatin1String(picture.Resource)));
      button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    }
  }
}

}  // namespace velt
