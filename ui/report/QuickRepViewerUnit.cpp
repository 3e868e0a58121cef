#include <ui/report/QuickRepViewerUnit.h>

#include <QApplication>
#include <QFileInfo>
#include <QInputDialog>
#include <QMap>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPageSize>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintEngine>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QSaveFile>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <reports/BandEngine.h>
#include <ui/widgets/Cp1251.h>
#include <ui/widgets/FileDialogsUnit.h>
#include <ui/widgets/PicturesUnit.h>

namespace velt {

namespace {

// ---- Recording a job's pages --------------------------------------------------------------

// A print and paint engine that draws each page into a picture: the band
// engine paints on a QPrinter like on any printer, page breaks included.
class TPictureEngine : public QPaintEngine, public QPrintEngine {
 public:
  explicit TPictureEngine(double dpi) : QPaintEngine(AllFeatures), Dpi(dpi) {
    Properties[PPK_QPageLayout] = QVariant::fromValue(QPageLayout(
        QPageSize(QPageSize::A4), QPageLayout::Portrait,
        QMarginsF(kPageMarginMm, kPageMarginMm, kPageMarginMm, kPageMarginMm),
        QPageLayout::Millimeter));
  }

  std::vector<QPicture> Pages;

  // QPaintEngine
  bool begin(QPaintDevice*) override {
    Painter.reset();
    StartPage();
    State = QPrinter::Active;
    return true;
  }
  bool end() override {
    FinishPage();
    State = QPrinter::Idle;
    return true;
  }
  Type type() const override { return QPaintEngine::User; }
  void updateState(const QPaintEngineState& s) override {
    const DirtyFlags f = s.state();
    if (f & DirtyTransform) {
      Painter->setTransform(s.transform());
    }
    if (f & DirtyClipRegion) {
      Painter->setClipRegion(s.clipRegion(), s.clipOperation());
    }
    if (f & DirtyClipPath) {
      Painter->setClipPath(s.clipPath(), s.clipOperation());
    }
    if (f & DirtyClipEnabled) {
      Painter->setClipping(s.isClipEnabled());
    }
    if (f & DirtyPen) {
      Painter->setPen(s.pen());
    }
    if (f & DirtyBrush) {
      Painter->setBrush(s.brush());
    }
    if (f & DirtyBrushOrigin) {
      Painter->setBrushOrigin(s.brushOrigin());
    }
    if (f & DirtyFont) {
      Painter->setFont(s.font());
    }
    if (f & DirtyBackground) {
      Painter->setBackground(s.backgroundBrush());
    }
    if (f & DirtyBackgroundMode) {
      Painter->setBackgroundMode(s.backgroundMode());
    }
    if (f & DirtyHints) {
      Painter->setRenderHints(s.renderHints());
    }
    if (f & DirtyCompositionMode) {
      Painter->setCompositionMode(s.compositionMode());
    }
    if (f & DirtyOpacity) {
      Painter->setOpacity(s.opacity());
    }
  }
  void drawPath(const QPainterPath& path) override { Painter->drawPath(path); }
  void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override {
    if (mode == PolylineMode) {
      Painter->drawPolyline(points, count);
    } else {
      Painter->drawPolygon(points, count,
                           mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill);
    }
  }
  void drawTextItem(const QPointF& p, const QTextItem& item) override {
    Painter->drawTextItem(p, item);
  }
  void drawPixmap(const QRectF& r, const QPixmap& pm, const QRectF& sr) override {
    Painter->drawPixmap(r, pm, sr);
  }
  void drawImage(const QRectF& r, const QImage& image, const QRectF& sr,
                 Qt::ImageConversionFlags flags) override {
    Painter->drawImage(r, image, sr, flags);
  }
  void drawTiledPixmap(const QRectF& r, const QPixmap& pm, const QPointF& p) override {
    Painter->drawTiledPixmap(r, pm, p);
  }

  // QPrintEngine
  void setProperty(PrintEnginePropertyKey key, const QVariant& value) override {
    Properties[key] = value;
  }
  QVariant property(PrintEnginePropertyKey key) const override {
    if (key == PPK_Resolution) {
      return int(Dpi);
    }
    return Properties.value(key);
  }
  bool newPage() override {
    StartPage();
    return true;
  }
  bool abort() override { return false; }
  int metric(QPaintDevice::PaintDeviceMetric id) const override {
    const QRectF paint = Layout().paintRect(QPageLayout::Inch);
    switch (id) {
      case QPaintDevice::PdmWidth:
        return qRound(paint.width() * Dpi);
      case QPaintDevice::PdmHeight:
        return qRound(paint.height() * Dpi);
      case QPaintDevice::PdmWidthMM:
        return qRound(paint.width() * 25.4);
      case QPaintDevice::PdmHeightMM:
        return qRound(paint.height() * 25.4);
      case QPaintDevice::PdmNumColors:
        return INT_MAX;
      case QPaintDevice::PdmDepth:
        return 32;
      case QPaintDevice::PdmDpiX:
      case QPaintDevice::PdmDpiY:
      case QPaintDevice::PdmPhysicalDpiX:
      case QPaintDevice::PdmPhysicalDpiY:
        return int(Dpi);
      case QPaintDevice::PdmDevicePixelRatio:
        return 1;
      case QPaintDevice::PdmDevicePixelRatioScaled:
        return int(QPaintDevice::devicePixelRatioFScale());
      default:
        return 0;
    }
  }
  QPrinter::PrinterState printerState() const override { return State; }

  QPageLayout Layout() const { return Properties.value(PPK_QPageLayout).value<QPageLayout>(); }

 private:
  // A new page goes on with the state the last one ended with.
  void StartPage() {
    auto picture = std::make_unique<QPicture>();
    auto painter = std::make_unique<QPainter>(picture.get());
    if (Painter) {
      painter->setTransform(Painter->transform());
      painter->setPen(Painter->pen());
      painter->setBrush(Painter->brush());
      painter->setFont(Painter->font());
      painter->setRenderHints(Painter->renderHints());
      painter->setOpacity(Painter->opacity());
      if (Painter->hasClipping()) {
        painter->setClipPath(Painter->clipPath());
      }
      FinishPage();
    }
    Current = std::move(picture);
    Painter = std::move(painter);
  }
  void FinishPage() {
    if (Painter && Painter->isActive()) {
      Painter->end();
      Pages.push_back(*Current);
    }
  }

  double Dpi;
  QMap<PrintEnginePropertyKey, QVariant> Properties;
  QPrinter::PrinterState State = QPrinter::Idle;
  std::unique_ptr<QPicture> Current;
  std::unique_ptr<QPainter> Painter;
};

class TRecordingPrinter : public QPrinter {
 public:
  explicit TRecordingPrinter(double dpi) : Engine(dpi) { setEngines(&Engine, &Engine); }
  TPictureEngine Engine;
};

QString Text(const TLocalStrings& strings, std::uint16_t value) {
  return FromCp1251(strings.Value(value));
}

QString CaptionText(const TLocalStrings& strings, std::uint16_t caption) {
  return FromCp1251(strings.Caption(caption));
}

constexpr std::uint16_t kWindowTitle = 112;
constexpr std::uint16_t kPagesTab = 113;
constexpr std::uint16_t kSaveTitle = 114;
constexpr std::uint16_t kOpenTitle = 115;
constexpr std::uint16_t kOpenSavedTitle = 89;
constexpr std::uint16_t kSavedReports = 69;
constexpr std::uint16_t kCloseText = 150;
constexpr std::uint16_t kCloseHint = 151;
constexpr std::uint16_t kPageCount = 152;
constexpr std::uint16_t kPreparing = 153;
constexpr std::uint16_t kDrawing = 154;
constexpr std::uint16_t kPrinting = 155;
constexpr std::uint16_t kFileErrorTitle = 9;
constexpr std::uint16_t kFileNotFound = 28;

}  // namespace

TRenderedReport RecordJob(TReportJob& job, double dpi) {
  TRecordingPrinter printer(dpi);
  TRenderedReport report;
  report.Dpi = dpi;
  report.Title = job.Title();
  if (job.Render(printer) < 0) {
    return report;
  }
  report.PageSizeMm = printer.Engine.Layout().fullRect(QPageLayout::Millimeter).size();
  report.Pages = std::move(printer.Engine.Pages);
  return report;
}

bool ShowPrintDialog(QPrinter& printer, QWidget* owner) {
  QPrintDialog dialog(&printer, owner);
  return dialog.exec() == QDialog::Accepted;
}

// ---- The preview window --------------------------------------------------------------------

TQuickRepViewerForm::TQuickRepViewerForm(const TLocalStrings& strings, IUserFeedback& feedback,
                                         QWidget* parent)
    : QMainWindow(parent),
      Strings(strings),
      Feedback(feedback),
      Dialogs(std::make_unique<TQtFileDialogs>(this)),
      PreviewPrinter(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
  setObjectName("QuickRepViewerForm");
  // A secondary window: closing the main window ends the program.
  setAttribute(Qt::WA_QuitOnClose, false);
  ChoosePrinter = [this](QPrinter& printer) { return ShowPrintDialog(printer, this); };
  PageTabs = new QTabWidget(this);
  Preview = new QPrintPreviewWidget(PreviewPrinter.get(), PageTabs);
  Preview->setObjectName("PreviewWidget");
  PageTabs->addTab(Preview, QString());
  setCentralWidget(PageTabs);
  connect(Preview, &QPrintPreviewWidget::paintRequested, this, &TQuickRepViewerForm::Paint);
  connect(Preview, &QPrintPreviewWidget::previewChanged, this, &TQuickRepViewerForm::Refresh);

  auto* tools = addToolBar(QString());
  tools->setObjectName("PreviewToolBar");
  tools->setMovable(false);
  const std::function<void()> work[] = {
      [this] { Preview->fitInView(); },
      [this] {
        Preview->setZoomMode(QPrintPreviewWidget::CustomZoom);
        Preview->setZoomFactor(1.0);
      },
      [this] { Preview->fitToWidth(); },
      [this] { Preview->setCurrentPage(1); },
      [this] { Preview->setCurrentPage(Preview->currentPage() - 1); },
      [this] { Preview->setCurrentPage(Preview->currentPage() + 1); },
      [this] { Preview->setCurrentPage(Preview->pageCount()); },
      [this] { GotoPage(); },
      [this] { PrintSetup(); },
      [this] { Print(); },
      [this] { SaveReport(); },
      [this] { OpenReport(); },
  };
  // Separators where the button numbers leave gaps: after zoom, the page
  // moves, the jump, the printer and the files.
  int i = 0;
  for (const TPreviewButton& button : kPreviewButtons) {
    if (i == 3 || i == 7 || i == 8 || i == 10) {
      tools->addSeparator();
    }
    // The program's own pictures, the same as the report tab's for printing,
    // paging and the saved protocol.
    QAction* action = tools->addAction(ActionPictureIcon(QLatin1String(button.Name)), QString());
    action->setObjectName(button.Name);
    connect(action, &QAction::triggered, this, work[i]);
    ++i;
  }
  tools->addSeparator();
  CloseButton = new QToolButton(tools);
  CloseButton->setObjectName("CloseButton");
  CloseButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
  CloseButton->setFixedWidth(60);
  connect(CloseButton, &QToolButton::clicked, this, &QWidget::close);
  tools->addWidget(CloseButton);

  PageCountLabel = new QLabel(this);
  StatusLabel = new QLabel(this);
  statusBar()->addWidget(PageCountLabel);
  statusBar()->addWidget(StatusLabel, 1);
  resize(800, 900);
  LoadTexts();
}

TQuickRepViewerForm::~TQuickRepViewerForm() = default;

void TQuickRepViewerForm::LoadTexts() {
  setWindowTitle(CaptionText(Strings, kWindowTitle));
  PageTabs->setTabText(0, CaptionText(Strings, kPagesTab));
  auto* tools = findChild<QToolBar*>("PreviewToolBar");
  for (const TPreviewButton& button : kPreviewButtons) {
    if (QAction* action = tools->findChild<QAction*>(button.Name)) {
      action->setText(Text(Strings, button.Hint));
      action->setToolTip(Text(Strings, button.Hint));
    }
  }
  CloseButton->setText(Text(Strings, kCloseText));
  CloseButton->setToolTip(Text(Strings, kCloseHint));
  Refresh();
}

void TQuickRepViewerForm::SetFileDialogs(std::unique_ptr<IFileDialogs> dialogs) {
  Dialogs = std::move(dialogs);
}

void TQuickRepViewerForm::ShowReport(TRenderedReport report) {
  Pages = std::move(report);
  // The window is made before the string files are read.
  LoadTexts();
  SetStatus(TStatus::None);
  Preview->updatePreview();
  Preview->setCurrentPage(1);
  Refresh();
  show();
  raise();
  activateWindow();
}

int TQuickRepViewerForm::CurrentPage() const { return Preview->currentPage(); }

void TQuickRepViewerForm::Paint(QPrinter* printer) {
  if (!Pages.Pages.empty()) {
    PlayPages(Pages, *printer);
  }
}

void TQuickRepViewerForm::Refresh() {
  PageCountLabel->setText(Text(Strings, kPageCount) +
                          QString::asprintf("%d", int(Pages.Pages.size())));
  StatusLabel->setText(StatusText());
}

QString TQuickRepViewerForm::PageCountText() const { return PageCountLabel->text(); }

void TQuickRepViewerForm::SetStatus(TStatus status) {
  Status = status;
  StatusLabel->setText(StatusText());
  StatusLabel->repaint();
}

QString TQuickRepViewerForm::StatusText() const {
  switch (Status) {
    case TStatus::Preparing:
      return Text(Strings, kPreparing);
    case TStatus::Drawing:
      return Text(Strings, kDrawing);
    case TStatus::Printing:
      return Text(Strings, kPrinting);
    case TStatus::None:
      break;
  }
  return {};
}

void TQuickRepViewerForm::ShowMessage(std::uint16_t error, const std::string& reason) {
  // The program's words first, then why (the file's damage or the
  // system's reason).
  Feedback.ShowMessage(Strings.Error(kFileErrorTitle),
                       Strings.Error(error) + (reason.empty() ? "" : "\n" + reason),
                       TMessageIcon::Error);
}

bool TQuickRepViewerForm::OpenFile(const std::filesystem::path& path) {
  TRenderedReport report;
  if (const TQrpResult read = LoadQrp(path, report); !read.Ok) {
    ShowMessage(kFileNotFound, path.string() + ": " + read.Error);
    return false;
  }
  ShowReport(std::move(report));
  return true;
}

namespace {

QString SavedReportsFilter(const TLocalStrings& strings) {
  return Text(strings, kSavedReports) + QStringLiteral("(*.qrp)|*.qrp");
}

}  // namespace

bool TQuickRepViewerForm::OpenChosen(IFileDialogs& dialogs) {
  const auto path = dialogs.ChooseOpen(
      {CaptionText(Strings, kOpenSavedTitle), SavedReportsFilter(Strings), QStringLiteral("qrp")});
  return path && OpenFile(*path);
}

bool TQuickRepViewerForm::OpenReport() {
  const auto path = Dialogs->ChooseOpen(
      {CaptionText(Strings, kOpenTitle), SavedReportsFilter(Strings), QStringLiteral("qrp")});
  return path && OpenFile(*path);
}

bool TQuickRepViewerForm::SaveReport() {
  if (Pages.Pages.empty()) {
    return false;
  }
  // A name ending in ".pdf" makes a PDF file, any other a saved report.
  const auto path = Dialogs->ChooseSave({CaptionText(Strings, kSaveTitle),
                                         Text(Strings, kSavedReports) +
                                             QStringLiteral("(*.qrp *.pdf)|*.qrp"),
                                         QStringLiteral("qrp")});
  return path && SaveTo(*path);
}

bool TQuickRepViewerForm::SaveTo(const std::filesystem::path& path) {
  const bool pdf = QFileInfo(QString::fromStdString(path.string())).suffix().compare(
                       QStringLiteral("pdf"), Qt::CaseInsensitive) == 0;
  if (!pdf) {
    if (const TQrpResult saved = SaveQrp(Pages, path); !saved.Ok) {
      ShowMessage(kFileNotFound, path.string() + ": " + saved.Error);
      return false;
    }
    return true;
  }
  // Written beside the target and renamed when whole.
  QSaveFile file(QString::fromStdString(path.string()));
  if (!file.open(QIODevice::WriteOnly)) {
    ShowMessage(kFileNotFound, path.string() + ": " + file.errorString().toStdString());
    return false;
  }
  int pages = -1;
  {
    QPdfWriter writer(&file);
    writer.setTitle(Pages.Title);
    writer.setCreator(QStringLiteral("Velt Studio 3"));
    writer.setResolution(int(Pages.Dpi));
    pages = PlayPages(Pages, writer);
  }
  if (pages <= 0 || !file.commit()) {
    ShowMessage(kFileNotFound, path.string() + ": " + file.errorString().toStdString());
    return false;
  }
  return true;
}

void TQuickRepViewerForm::PrintSetup() {
  if (!SetupPrinter) {
    SetupPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
  }
  QPageSetupDialog dialog(SetupPrinter.get(), this);
  dialog.exec();
}

bool TQuickRepViewerForm::Print() {
  if (Pages.Pages.empty()) {
    return false;
  }
  QPrinter printer(QPrinter::HighResolution);
  if (SetupPrinter) {
    printer.setPrinterName(SetupPrinter->printerName());
  }
  printer.setDocName(Pages.Title);
  if (!ChoosePrinter || !ChoosePrinter(printer)) {
    return false;
  }
  SetStatus(TStatus::Printing);
  const bool printed = PlayPages(Pages, printer) > 0;
  SetStatus(TStatus::None);
  return printed;
}

void TQuickRepViewerForm::GotoPage() {
  bool ok = false;
  const int count = Preview->pageCount();
  const int page = QInputDialog::getInt(this, windowTitle(), Text(Strings, kPreviewButtons[7].Hint),
                                        Preview->currentPage(), 1, std::max(count, 1), 1, &ok);
  if (ok) {
    Preview->setCurrentPage(page);
  }
}

// ---- The job sink --------------------------------------------------------------------------

bool TGuiReportJobSink::Preview(TReportJob& job) {
  if (Viewer.isNull()) {
    return false;
  }
  Viewer->SetStatus(TQuickRepViewerForm::TStatus::Preparing);
  Viewer->SetStatus(TQuickRepViewerForm::TStatus::Drawing);
  TRenderedReport report = RecordJob(job);
  if (report.Pages.empty()) {
    Viewer->SetStatus(TQuickRepViewerForm::TStatus::None);
    return false;
  }
  Viewer->ShowReport(std::move(report));
  return true;
}

bool TGuiReportJobSink::Print(TReportJob& job) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(job.Title());
  if (job.Duplex()) {
    printer.setDuplex(QPrinter::DuplexAuto);
  }
  const bool chosen = ChoosePrinter ? ChoosePrinter(printer)
                                    : ShowPrintDialog(printer, QApplication::activeWindow());
  if (!chosen) {
    return false;
  }
  return job.Render(printer) > 0;
}

}  // namespace velt
