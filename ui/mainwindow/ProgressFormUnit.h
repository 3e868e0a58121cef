// The progress window of the batch exchanges, and the GUI's progress port:
// a small tool window without border icons, always on top, centred on the
// main window, with one navy gauge 0..100; the busy cursor; and letting the
// event loop run between two uploaded configurations. The window is on the
// screen and painted before the first transfer and after every step, steps
// aside for any message box (its own operation's, the link library's),
// and gives the keyboard back when it goes.
#pragma once

#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QWidget>

#include <ports/Progress.h>

namespace velt {

class TProgressForm : public QWidget {
  Q_OBJECT

 public:
  explicit TProgressForm(QWidget* owner);

  void SetText(const QString& text);
  void SetGauge(int percent);
  int Gauge() const;
  QString Text() const;

 protected:
  // A modal window coming up (a message box) hides the progress window,
  // which would otherwise stay on top of it and cover its buttons.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLabel* TextLabel;
  QProgressBar* ProgressGauge;
};

// The progress port of the program. The window is made when first needed
// and again after the user closed it (closing destroys it).
class TGuiProgress : public IProgressFeedback {
 public:
  explicit TGuiProgress(QWidget* owner = nullptr) : Owner(owner) {}
  ~TGuiProgress() override;
  TGuiProgress(const TGuiProgress&) = delete;
  TGuiProgress& operator=(const TGuiProgress&) = delete;

  void SetOwner(QWidget* owner) { Owner = owner; }
  // The window, made when needed.
  TProgressForm& Form();
  bool FormExists() const { return !Window.isNull(); }
  // Whether the progress window is on the screen (a transfer is running).
  bool Visible() const { return !Window.isNull() && Window->isVisible(); }

  // With `focus`, the window takes the keyboard; the control that had it
  // gets it back when the window is hidden.
  void ShowProgress(std::string_view text, bool focus) override;
  void SetProgress(int percent) override;
  void HideProgress() override;
  void PushBusyCursor() override;
  void PopBusyCursor() override;
  void ProcessPendingEvents() override;

 private:
  // Lets the window system map the window and paint it now: the transfers
  // that follow keep the event loop away.
  void PaintNow();

  QPointer<QWidget> Owner;
  QPointer<TProgressForm> Window;
  // Between ShowProgress and HideProgress; a window a message box hid
  // comes back with the next step.
  bool Running = false;
  bool TookFocus = false;
  QPointer<QWidget> FocusBefore;
  QPointer<QWidget> ActiveBefore;
};

}  // namespace velt
