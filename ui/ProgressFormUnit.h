// The progress window of the batch exchanges, and the GUI's progress port:
// a small tool window without border icons, always on top, centred on the
// main window, with one navy gauge 0..100; the busy cursor; and letting the
// event loop run between two uploaded configurations.
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

  void ShowProgress(std::string_view text, bool focus) override;
  void SetProgress(int percent) override;
  void HideProgress() override;
  void PushBusyCursor() override;
  void PopBusyCursor() override;
  void ProcessPendingEvents() override;

 private:
  QPointer<QWidget> Owner;
  QPointer<TProgressForm> Window;
};

}  // namespace velt
