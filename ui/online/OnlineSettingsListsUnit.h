// The online tab's five settings lists: strobes, probe, pulse, thickness
// and velocity, DGS. Each list shows its fixed keys and the working
// configuration's values, and edits a value in place with an editor of its
// own (a typed text or a pick list). A committed list is written into the
// configuration whole or not at all; taken, it goes to the instrument as
// configuration 0 and the configuration is marked changed; refused, the
// user is told and the list shows the configuration again.
#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include <ui/widgets/GridAdaptersUnit.h>

class QComboBox;
class QLabel;
class QLineEdit;
class QTableWidget;

namespace velt {

class IUserFeedback;
class TLocalStrings;
class TVELTMainForm;

// What the lists need of the window beyond its public state.
struct TOnlineListsPorts {
  const TLocalStrings* Strings = nullptr;
  IUserFeedback* Feedback = nullptr;
  std::function<bool()> Connected;        // the instrument is connected
  std::function<bool()> ProgressShowing;  // a batch exchange shows its progress
};

class TOnlineSettingsLists : public QWidget {
 public:
  TOnlineSettingsLists(TVELTMainForm& form, TOnlineListsPorts ports, QWidget* parent = nullptr);
  ~TOnlineSettingsLists() override;

  static constexpr int kLists = 5;

  // The key rows (value strings) and the caption panel (caption string 21).
  void LoadTexts();
  // All five lists from the drawing record, empty without a configuration;
  // an edit not yet committed is dropped.
  void Refill();
  // No cell of any list selected.
  void ClearSelection();
  QTableWidget& List(int k) const;  // 0..4
  QLabel& Caption() const { return *CaptionPanel; }
  // The in-place editors of list k.
  QLineEdit& MaskEdit(int k) const;
  QComboBox& ComboBox(int k) const;

  // Writes list k back into the working configuration (see the unit's
  // comment); with `clearSelection` the list's selection goes afterwards.
  void Commit(int k, bool clearSelection);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct TList;
  TDataCell* DrawingRecord() const;
  void RefillList(int k);
  void PrepareRowEditors();
  void CellSelected(int k, int row, int column);
  // The in-place editors: Enter and leaving commit, Escape cancels.
  void EditorDone(int k, bool cancelled);
  void ChoiceChanged(int k);
  void CloseEditors(int k);
  void ClearListSelection(int k);
  bool ListKey(int k, const QKeyEvent& key);
  bool EditorKey(int k, const QKeyEvent& key);

  TVELTMainForm& Form;
  TOnlineListsPorts Ports;
  QLabel* CaptionPanel = nullptr;
  std::array<std::unique_ptr<TList>, kLists> Lists;
  bool Filling = false;
};

}  // namespace velt
