// What the tabs share: their actions with the F-key hints, the six mode
// indicators, and the in-place editors of the editable parameter grids.
#pragma once

#include <QStyledItemDelegate>
#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <config/BaseConfigObjectsUnit.h>
#include <signal/SignalViewInteractionUnit.h>
#include <strings/LocalStringsUnit.h>
#include <ports/UserFeedback.h>
#include <ui/widgets/FileDialogsUnit.h>
#include <ui/widgets/GridAdaptersUnit.h>

class QAction;
class QBoxLayout;
class QComboBox;
class QLayout;
class QLabel;
class QPlainTextEdit;
class QTableWidget;
class QToolButton;
class QWidget;

namespace velt {

// An action of a tab, owned by the main window so that the key map finds
// it by name; its hint is "<B>F<key> </B>" and value string `hint`.
QAction* MakeTabAction(QWidget& form, const char* name, int key, int hint);
// Texts and hints of those actions from the string files: the tool bar
// shows the key beside the action's picture, the hint the whole text.
void LoadTabActionTexts(QWidget& form, const TLocalStrings& strings);

// The mode indicator rule: the image index of each of the six buttons
// (TGV state, strobe algorithm, screen mode, signal type, first strobe,
// second strobe); -1 without a configuration.
std::array<int, 6> ModeIndicatorIndices(const TBaseConfigCell* cell);
void ShowModeIndicators(const std::array<QToolButton*, 6>& buttons, const TBaseConfigCell* cell);
std::array<int, 6> ShownModeIndicators(const std::array<QToolButton*, 6>& buttons);

// The in-place editors of an editable grid's value column: a text field
// that takes digits and the locale's separators only, or a drop-down of
// the row's pick list. A commit (Enter, leaving the editor, a choice in
// the drop-down) writes the text into the cell and then calls `Committed`.
class TValueCellDelegate : public QStyledItemDelegate {
 public:
  TValueCellDelegate(TTableGrid& grid, std::function<TNumberFormat()> format,
                     std::function<void()> committed, QObject* parent);
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model,
                    const QModelIndex& index) const override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TTableGrid& Grid;
  std::function<TNumberFormat()> Format;
  std::function<void()> Committed;
};

// The first row (from 1) a selector grid shows at its top, and scrolling
// so that a row is there.
int FirstVisibleRow(const QTableWidget& grid);
void SetFirstVisibleRow(QTableWidget& grid, int row);
// The selector's scrolling of the navigation: forward, the new row stands
// 25 rows down once past row 25; back, a row above the top comes to the top.
void ScrollForward(QTableWidget& grid, int row);
void ScrollBack(QTableWidget& grid, int row);

// A bold header label on a tab page.
QLabel* MakeHeaderLabel(QWidget& page);

// The record view the data and setup tabs share: a middle column with the
// caption panel, a row of buttons, the picture and the results and
// conditions grids under it, and a right column with the four parameter
// groups (the X-scale selector after the third) and the comments.
struct TDetailsNames {
  const char* Caption;
  const char* Results;
  const char* Conditions;
  std::array<const char*, 4> Groups;
  std::array<int, 4> GroupRows;
  const char* Scale;
  const char* CommentsHeader;
  const char* Comments;
};
struct TDetailsParts {
  QLabel* Caption = nullptr;
  // Index 1 the picture, 2 results, 3 conditions, 4 device settings, 5..8
  // the groups; 0 is the tab's own (its selector).
  std::array<QLabel*, 9> Headers{};
  QTableWidget* Results = nullptr;
  QTableWidget* Conditions = nullptr;
  std::array<QTableWidget*, 4> Groups{};
  QComboBox* Scale = nullptr;
  QLabel* CommentsHeader = nullptr;
  QPlainTextEdit* Comments = nullptr;
};
TDetailsParts BuildDetailsColumns(QWidget& page, QBoxLayout& body, QLayout* buttons,
                                  QLabel& picture, const TDetailsNames& names);

// A comment field and the comment lines of a record or configuration: the
// field's lines (none for an empty field), and the lines into the field.
void StoreMemoLines(const QPlainTextEdit& memo, std::vector<std::string>& lines);
void ShowMemoLines(QPlainTextEdit& memo, const std::vector<std::string>& lines);

// Selects a selector row (from 1), whole, and scrolls to the top if asked.
void SelectSelectorRow(QTableWidget& grid, int row, bool toTop);

// The file dialogs of the tabs' open and save actions: the file chosen, or
// nothing when the user cancelled, chose a file that is not there (told
// with error strings 9 and 28), or would not replace an existing one
// (asked with error string 8 under the request's purpose, No preselected).
std::optional<std::filesystem::path> ChooseFileToOpen(IFileDialogs& dialogs,
                                                       IUserFeedback& feedback,
                                                       const TLocalStrings& strings,
                                                       const TFileDialogRequest& request);
std::optional<std::filesystem::path> ChooseFileToSave(IFileDialogs& dialogs,
                                                       IUserFeedback& feedback,
                                                       const TLocalStrings& strings,
                                                       const TFileDialogRequest& request);

// The mouse of a picture label handed to its picture interaction: presses,
// moves, releases and double clicks in surface coordinates, and a drag
// ended when its release will not come (the focus went elsewhere first),
// for as long as `owner` (which holds the interaction) lives.
void ConnectPictureMouse(TPictureLabel& label, TSetupPictureMouse& mouse, QSize surface,
                         QObject& owner);

// The pointer over a picture as its interaction asks for it.
void SetPictureCursor(QWidget& picture, TMouseCursorShape shape);

// Makes a grid's value column editable through the delegate.
void MakeValueColumnEditable(TTableGrid& grid, TValueCellDelegate* delegate);

}  // namespace velt
