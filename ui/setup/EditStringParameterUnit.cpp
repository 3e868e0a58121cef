#include <ui/setup/EditStringParameterUnit.h>

#include <QCursor>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <config/CharMappingUnit.h>
#include <ui/widgets/Cp1251.h>

namespace velt {
namespace {

constexpr int kEditedNameLength = 13;
constexpr int kTitleCaption = 130;
constexpr int kLabelCaption = 131;
constexpr int kLabelTailCaption = 132;
constexpr int kBlankNameText = 17;
constexpr int kBlankNameTitle = 12;

std::string Cyrillic(unsigned char first, unsigned char last) {
  std::string s;
  for (unsigned c = first; c <= last; ++c) {
    s += static_cast<char>(c);
  }
  return s;
}

}  // namespace

const std::string& NameEditorFromCharacters() {
  static const std::string from = [] {
    // d, i, m, n and s are left out: the instrument shows them in lower case.
    std::string s = "abcefghjklopqrtuvwxyz";
    // а..е, ё, ж..я (Windows-1251: а..я are 0xE0..0xFF, ё is 0xB8)
    s += Cyrillic(0xE0, 0xE5);
    s += '\xB8';
    s += Cyrillic(0xE6, 0xFF);
    return s;
  }();
  return from;
}

const std::string& NameEditorToCharacters() {
  static const std::string to = [] {
    std::string s = "ABCEFGHJKLOPQRTUVWXYZ";
    s += Cyrillic(0xC0, 0xC5);
    s += '\xC5';  // ё becomes Е
    s += Cyrillic(0xC6, 0xDF);
    return s;
  }();
  return to;
}

TEditStrParForm::TEditStrParForm(const TLocalStrings& strings, IUserFeedback& feedback,
                                 QWidget* parent)
    : QDialog(parent), Strings(strings), Feedback(feedback) {
  setObjectName("EditStrParForm");
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  Panel = new QFrame(this);
  Panel->setObjectName("Panel1");
  Panel->setFrameShape(QFrame::StyledPanel);
  auto* panelLayout = new QVBoxLayout(Panel);
  Label = new QLabel(Panel);
  Label->setObjectName("ParamNameLabel");
  Edit = new QLineEdit(Panel);
  Edit->setObjectName("ParamAdjStrEdit");
  Edit->installEventFilter(this);
  panelLayout->addWidget(Label);
  panelLayout->addWidget(Edit);
  layout->addWidget(Panel);
  // Qt's own buttons: their texts follow the user's language.
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
  ok->setObjectName("OkButton");
  ok->setDefault(true);
  buttons->button(QDialogButtonBox::Cancel)->setObjectName("CancelButton");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  ClearAllowed();
}

char TEditStrParForm::Filter(char typed) const {
  if (Allowed.empty() || Allowed.find(typed) != std::string::npos) {
    return typed;
  }
  const std::size_t at = From.find(typed);
  return at != std::string::npos && at < To.size() ? To[at] : '\0';
}

bool TEditStrParForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched != Edit || event->type() != QEvent::KeyPress) {
    return QDialog::eventFilter(watched, event);
  }
  const auto* key = static_cast<QKeyEvent*>(event);
  const QString text = key->text();
  // Editing keys carry no printable text; the field handles them itself.
  if (text.size() != 1 || !text.front().isPrint()) {
    return QDialog::eventFilter(watched, event);
  }
  const std::string typed = ToCp1251(text);
  const char result = typed.size() == 1 ? Filter(typed[0]) : '\0';
  if (result != '\0' && Edit->text().size() - Edit->selectedText().size() < kEditedNameLength) {
    Edit->insert(FromCp1251(std::string(1, result)));
  }
  return true;
}

void TEditStrParForm::Prepare(const TBaseConfigCell& cell) {
  setWindowTitle(FromCp1251(Strings.Caption(kTitleCaption)));
  Label->setText(FromCp1251(Strings.Caption(kLabelCaption)) +
                 QString::number(cell.CONFIGURATION_NO) + QLatin1Char(' ') +
                 FromCp1251(Strings.Caption(kLabelTailCaption)));
  Edit->setMaxLength(kEditedNameLength);
  ClearAllowed();
  for (const TCharMapping& entry : InstrumentCharTable()) {
    AddAllowed(std::string(1, entry.Text));
  }
  ClearSubstitutions();
  const std::string& from = NameEditorFromCharacters();
  const std::string& to = NameEditorToCharacters();
  for (std::size_t i = 0; i < from.size(); ++i) {
    AddSubstitution(from[i], to[i]);
  }
  Edit->setText(FromCp1251(cell.CONFIGURATION_NAME).left(kEditedNameLength));
}

std::string TEditStrParForm::Result(bool accepted, const std::string& oldName) {
  if (!accepted) {
    return oldName;
  }
  std::string name = ToCp1251(Edit->text()).substr(0, kEditedNameLength);
  name.resize(kEditedNameLength, ' ');
  if (name == std::string(kEditedNameLength, ' ')) {
    Feedback.ShowMessage(Strings.Error(kBlankNameTitle), Strings.Error(kBlankNameText),
                         TMessageIcon::Error);
    return oldName;
  }
  return name;
}

std::string TEditStrParForm::EditName(const TBaseConfigCell& cell) {
  Prepare(cell);
  adjustSize();
  // The field comes to lie under the pointer, 12 pixels above it.
  const QPoint pointer = QCursor::pos();
  const QPoint field = Edit->mapTo(this, QPoint(0, 0));
  move(pointer.x() - field.x(), pointer.y() - (field.y() + Edit->height()) - 12);
  Edit->setFocus();
  return Result(exec() == QDialog::Accepted, cell.CONFIGURATION_NAME);
}

}  // namespace velt
