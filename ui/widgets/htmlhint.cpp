#include <ui/widgets/htmlhint.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QEvent>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QScreen>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <QToolTip>
#include <algorithm>
#include <cmath>
#include <limits>

namespace velt {

namespace {

// Where the hint goes relative to the pointer: below it and a little to the
// right, as the item views place their own tool tips.
const QPoint kHintOffset(2, 16);
// The ellipse that rounds the corners of the rounded style.
constexpr int kCorner = 16;

QSize Measured(const QTextDocument& doc) {
  return QSize(static_cast<int>(std::ceil(doc.idealWidth())),
               static_cast<int>(std::ceil(doc.size().height())));
}

// Cuts every line wider than `width` with an ellipsis (lines are not
// wrapped when the ellipsis is on).
void Elide(QTextDocument& doc, int width) {
  doc.size();  // lays the document out
  const QString ellipsis(QChar(0x2026));
  for (QTextBlock block = doc.lastBlock(); block.isValid(); block = block.previous()) {
    const QTextLayout* layout = block.layout();
    if (layout == nullptr || layout->lineCount() == 0) {
      continue;
    }
    const QTextLine line = layout->lineAt(0);
    if (line.naturalTextWidth() <= width) {
      continue;
    }
    QTextCursor cursor(block);
    const qreal room =
        width - QFontMetricsF(cursor.charFormat().font()).horizontalAdvance(ellipsis);
    int cut = line.xToCursor(std::max<qreal>(0, room), QTextLine::CursorBetweenCharacters);
    while (cut > 0 && line.cursorToX(cut) > room) {
      --cut;
    }
    cursor.setPosition(block.position() + cut);
    cursor.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
    cursor.insertText(ellipsis);
  }
}

QScreen* NearestScreen(const QPoint& point) {
  if (QScreen* screen = QGuiApplication::screenAt(point)) {
    return screen;
  }
  QScreen* nearest = QGuiApplication::primaryScreen();
  int best = std::numeric_limits<int>::max();
  for (QScreen* screen : QGuiApplication::screens()) {
    const QRect area = screen->geometry();
    const int dx = std::max({area.left() - point.x(), 0, point.x() - area.right()});
    const int dy = std::max({area.top() - point.y(), 0, point.y() - area.bottom()});
    if (dx + dy < best) {
      best = dx + dy;
      nearest = screen;
    }
  }
  return nearest;
}

QPainterPath RoundedOutline(const QRectF& rect) {
  QPainterPath path;
  path.addRoundedRect(rect, kCorner / 2.0, kCorner / 2.0);
  return path;
}

}  // namespace

THTMLHint::THTMLHint(QObject* owner) {
  auto* form = qobject_cast<QWidget*>(owner);
  if (form == nullptr || !form->isWindow()) {
    throw EComponentError("Control parent must be a form!");
  }
  if (Of(form) != nullptr) {
    throw EComponentError("Only one instance of THTMLHint allowed on form");
  }
  setParent(form);
  const QPalette tips = QToolTip::palette();
  HintColor = tips.color(QPalette::Inactive, QPalette::ToolTipBase);
  HintFontColor = tips.color(QPalette::Inactive, QPalette::ToolTipText);
  HintFont = QFont("Tahoma");
  HintFont.setPixelSize(11);

  Window = new THTMLHintWindow(this, form);
  HideTimer.setSingleShot(true);
  connect(&HideTimer, &QTimer::timeout, this, &THTMLHint::HideHint);
  // From now on the tool tips of the whole program come here; one that is
  // up already goes.
  QToolTip::hideText();
  if (QCoreApplication* application = QCoreApplication::instance()) {
    application->installEventFilter(this);
  }
}

THTMLHint::~THTMLHint() {
  if (QCoreApplication* application = QCoreApplication::instance()) {
    application->removeEventFilter(this);
  }
  delete Window.data();
}

THTMLHint* THTMLHint::Of(const QObject* owner) {
  return owner == nullptr ? nullptr
                          : owner->findChild<THTMLHint*>(QString(), Qt::FindDirectChildrenOnly);
}

void THTMLHint::HideHint() {
  HideTimer.stop();
  Control = nullptr;
  if (Window) {
    Window->hide();
  }
}

bool THTMLHint::ShowHintFor(QWidget* control, const QPoint& globalPos) {
  QString text = control->toolTip();
  bool canShow = true;
  if (OnShowHint) {
    OnShowHint(control, text, canShow);
  }
  if (!canShow || text.isEmpty() || !Window) {
    HideHint();
    return true;
  }
  // The pointer rested again on the control whose hint is up: it stays.
  if (Window->isVisible() && Control == control && Window->Text() == text) {
    return true;
  }
  Control = control;
  Window->ActivateHint(QRect(globalPos + kHintOffset, QSize()), text);
  if (HintHidePause > 0) {
    HideTimer.start(HintHidePause);
  } else {
    HideTimer.stop();
  }
  return true;
}

bool THTMLHint::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::ToolTip: {
      auto* control = qobject_cast<QWidget*>(watched);
      // A control without a hint of its own passes the event on to its parent.
      if (control == nullptr || control == Window || control->toolTip().isEmpty()) {
        return false;
      }
      event->accept();
      return ShowHintFor(control, static_cast<QHelpEvent*>(event)->globalPos());
    }
    case QEvent::Leave:
    case QEvent::Hide:
      if (Control != nullptr && watched == Control) {
        HideHint();
      }
      break;
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ApplicationDeactivate:
      if (Window && Window->isVisible()) {
        HideHint();
      }
      break;
    default:
      break;
  }
  return false;
}

THTMLHintWindow::THTMLHintWindow(THTMLHint* hint, QWidget* parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                          Qt::WindowTransparentForInput),
      Hint(hint),
      Doc(std::make_unique<QTextDocument>()) {
  setObjectName("HTMLHintWindow");
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::NoFocus);
}

std::unique_ptr<QTextDocument> THTMLHintWindow::Layout(const QString& text) const {
  auto doc = std::make_unique<QTextDocument>();
  doc->setDocumentMargin(0);
  if (!Hint) {
    doc->setPlainText(text);
    return doc;
  }
  doc->setDefaultFont(Hint->HintFont);
  doc->setDefaultStyleSheet(QString("a { color: %1; }").arg(Hint->LinkColor.name()));
  const bool elide = Hint->Ellipsis && Hint->MaxWidth > 0;
  if (elide) {
    QTextOption option = doc->defaultTextOption();
    option.setWrapMode(QTextOption::NoWrap);
    doc->setDefaultTextOption(option);
  }
  // Line breaks of the text itself stay line breaks.
  QString markup = text;
  markup.replace(QLatin1String("\r\n"), QLatin1String("<br>"));
  markup.replace(QLatin1Char('\n'), QLatin1String("<br>"));
  doc->setHtml(markup);
  if (Hint->MaxWidth > 0) {
    const int width = std::max(1, Hint->MaxWidth - 16);
    doc->setTextWidth(width);
    if (elide) {
      Elide(*doc, width);
    }
  }
  return doc;
}

QSize THTMLHintWindow::HintSize(const QString& text) const {
  return SizeOf(*Layout(text));
}

QSize THTMLHintWindow::SizeOf(const QTextDocument& doc) const {
  const QSize text_size = Measured(doc);
  const int x_margin = Hint ? Hint->XMargin : 0;
  const int y_margin = Hint ? Hint->YMargin : 0;
  return QSize(text_size.width() + x_margin + 16, text_size.height() + 2 * y_margin + 4);
}

QRect THTMLHintWindow::TextBox() const {
  const int left = (Hint ? Hint->XMargin : 0) + 4;
  const int text_height = Measured(*Doc).height();
  return QRect(left, (height() - text_height) / 2, width() - 4 - left, text_height);
}

QRect THTMLHintWindow::KeepOnScreen(const QRect& rect, const QRect& available) {
  QRect placed = rect;
  const int right = available.x() + available.width();
  const int bottom = available.y() + available.height();
  if (placed.x() + placed.width() > right) {
    placed.moveLeft(right - placed.width() - 2);
  }
  if (placed.y() + placed.height() > bottom) {
    placed.moveTop(bottom - placed.height() - 2);
  }
  // A hint larger than the screen keeps its start visible.
  placed.moveLeft(std::max(placed.x(), available.x()));
  placed.moveTop(std::max(placed.y(), available.y()));
  return placed;
}

void THTMLHintWindow::ActivateHint(const QRect& rect, const QString& text) {
  FText = text;
  if (!Hint) {
    return;
  }
  Doc = Layout(text);
  QRect placed(rect.topLeft(), SizeOf(*Doc));
  if (QScreen* screen = NearestScreen(rect.topLeft())) {
    placed = KeepOnScreen(placed, screen->availableGeometry());
  }
  setGeometry(placed);
  if (Hint->HintStyle == THintStyle::Rounded) {
    setMask(QRegion(
        RoundedOutline(QRectF(0, 0, placed.width(), placed.height())).toFillPolygon().toPolygon()));
  } else {
    clearMask();
  }
  show();
  raise();
  update();
}

void THTMLHintWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!Hint) {
    painter.fillRect(rect(), QToolTip::palette().color(QPalette::ToolTipBase));
    return;
  }
  if (Hint->HintColor2.isValid()) {
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0, Hint->HintColor);
    gradient.setColorAt(1, Hint->HintColor2);
    painter.fillRect(rect(), gradient);
  } else {
    painter.fillRect(rect(), Hint->HintColor);
  }
  const int right = width() - 1;
  const int bottom = height() - 1;
  if (Hint->HintStyle == THintStyle::Rounded) {
    painter.setPen(QColor(128, 128, 128));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(RoundedOutline(QRectF(0, 0, right, bottom)));
  } else {
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(0, 0, right, 0);
    painter.drawLine(0, 0, 0, bottom);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(0, bottom, right, bottom);
    painter.drawLine(right, 0, right, bottom);
  }
  const QRect box = TextBox();
  painter.translate(box.topLeft());
  QAbstractTextDocumentLayout::PaintContext context;
  context.palette.setColor(QPalette::Text, Hint->HintFontColor);
  context.clip = QRectF(0, 0, box.width(), box.height());
  painter.setClipRect(context.clip);
  Doc->documentLayout()->draw(&painter, context);
}

}  // namespace velt
