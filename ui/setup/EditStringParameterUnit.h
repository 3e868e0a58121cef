// The configuration name editor: a small modal dialog that takes only the
// characters the instrument can show, turning lower-case letters it cannot
// show into their upper-case forms as they are typed.
#pragma once

#include <QDialog>
#include <string>

#include <config/BaseConfigObjectsUnit.h>
#include <ports/UserFeedback.h>
#include <strings/LocalStringsUnit.h>

class QLabel;
class QLineEdit;
class QPushButton;
class QFrame;

namespace velt {

class TEditStrParForm : public QDialog {
 public:
  TEditStrParForm(const TLocalStrings& strings, IUserFeedback& feedback, QWidget* parent = nullptr);

  // The characters taken as typed (Windows-1251); none: every character.
  void ClearAllowed() { Allowed.clear(); }
  void AddAllowed(const std::string& text) { Allowed += text; }
  // Characters replaced when typed, by the one at the same place.
  void ClearSubstitutions() {
    From.clear();
    To.clear();
  }
  void AddSubstitution(char from, char to) {
    From += from;
    To += to;
  }

  // The whole renaming of a cell: the dialog set up for it, placed at the
  // pointer and run; the new name (13 characters), or the old one when the
  // user cancelled or confirmed a blank name.
  std::string EditName(const TBaseConfigCell& cell);

  // The steps of EditName around the modal run, for the tests.
  void Prepare(const TBaseConfigCell& cell);
  std::string Result(bool accepted, const std::string& oldName);
  // What a typed character becomes: itself, its replacement, or nothing (0).
  char Filter(char typed) const;

  QLineEdit& Field() const { return *Edit; }
  QLabel& NameLabel() const { return *Label; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  const TLocalStrings& Strings;
  IUserFeedback& Feedback;
  std::string Allowed;
  std::string From;
  std::string To;
  QFrame* Panel = nullptr;
  QLabel* Label = nullptr;
  QLineEdit* Edit = nullptr;
};

// The 54 replacements the name editor uses: 21 Latin and 33 Cyrillic
// lower-case letters to upper case ("ё" to "Е"), Windows-1251.
const std::string& NameEditorFromCharacters();
const std::string& NameEditorToCharacters();

}  // namespace velt
