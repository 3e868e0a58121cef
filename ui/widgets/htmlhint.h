// The formatted hints of the main window: one THTMLHint on the form takes
// over the application's tool tips and shows them in THTMLHintWindow, whose
// text may carry a small markup (<B>bold</B>, <BR>, entities such as &lt;).
#pragma once

#include <QColor>
#include <QFont>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QTextDocument>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <stdexcept>

namespace velt {

// A component placed where it cannot live; the message says why.
class EComponentError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class THTMLHintWindow;

enum class THintStyle { Rectangle, Rounded };

class THTMLHint : public QObject {
  Q_OBJECT

 public:
  // The owner must be a form (a top-level window) without another
  // THTMLHint; otherwise EComponentError.
  explicit THTMLHint(QObject* owner);
  ~THTMLHint() override;

  // The settings, with the values the main window uses.
  QColor HintColor;
  QColor HintColor2;  // invalid: no gradient
  QFont HintFont;
  QColor HintFontColor;
  THintStyle HintStyle = THintStyle::Rectangle;
  int MaxWidth = 0;  // 0: no limit
  int XMargin = 0;
  int YMargin = 0;
  QColor LinkColor = QColor(0, 0, 0);
  bool Ellipsis = false;
  int ShadowOffset = 1;
  QColor ShadowColor = QColor(128, 128, 128);
  // How long a hint stays up, in milliseconds (0: until the pointer leaves).
  int HintHidePause = 5000;

  // Called before a hint is shown: may change the text or cancel the hint.
  std::function<void(QWidget* control, QString& text, bool& canShow)> OnShowHint;

  // The hint of the form `owner` holds, if any.
  static THTMLHint* Of(const QObject* owner);

  THTMLHintWindow* HintWindow() const { return Window; }
  // The control whose hint is up (null when none).
  QWidget* HintControl() const { return Control; }
  void HideHint();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool ShowHintFor(QWidget* control, const QPoint& globalPos);

  QPointer<THTMLHintWindow> Window;
  QPointer<QWidget> Control;
  QTimer HideTimer;
};

class THTMLHintWindow : public QWidget {
  Q_OBJECT

 public:
  explicit THTMLHintWindow(THTMLHint* hint, QWidget* parent = nullptr);

  // Sizes the window to the text, places it at the proposed rectangle's
  // top-left corner kept on the nearest screen and shows it without
  // taking the focus.
  void ActivateHint(const QRect& rect, const QString& text);
  QString Text() const { return FText; }

  // The laid-out markup of the current text.
  const QTextDocument& Document() const { return *Doc; }
  // The window's size for a text with the current settings.
  QSize HintSize(const QString& text) const;
  // Where the text is drawn inside the window.
  QRect TextBox() const;

  // The rectangle moved left and up so that it ends 2 pixels inside the
  // screen's available area where it would reach beyond it.
  static QRect KeepOnScreen(const QRect& rect, const QRect& available);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::unique_ptr<QTextDocument> Layout(const QString& text) const;
  QSize SizeOf(const QTextDocument& doc) const;

  QPointer<THTMLHint> Hint;
  QString FText;
  std::unique_ptr<QTextDocument> Doc;
};

}  // namespace velt
