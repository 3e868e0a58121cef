// The program's pictures: the tool buttons' pictures of every tab and the
// control button image list the mode indicators show, drawn as SVG in
// ui/pictures/ and built into the program as resources.
#pragma once

#include <QIcon>
#include <QString>

class QWidget;

namespace velt {

// The resource of picture `index` of the control button image list, or an
// empty string when the list has no picture of that index.
QString ModeIndicatorPicture(int index);

// An icon of the SVG picture `resource`, drawn afresh at every size it is
// shown at (so sharp at any icon size and pixel ratio); a null icon when the
// picture cannot be read.
QIcon PictureIcon(const QString& resource);

// Picture `index` of the control button image list as an icon; a null icon
// when the list has no such picture.
QIcon ModeIndicatorIcon(int index);

// The picture each named press-and-hold or freeze button shows.
struct TButtonPicture {
  const char* Button;
  const char* Resource;
};
extern const TButtonPicture kButtonPictures[11];

// The picture each named tool bar action shows: the actions of the data,
// setup and report tabs' tool bars and the buttons of the print preview
// window. An action of the same kind shows the same picture on every tab;
// files of records, of setups and of reports differ by their emblem.
struct TActionPicture {
  const char* Action;
  const char* Resource;
};
extern const TActionPicture kActionPictures[40];

// The picture of the action or button named `name` as an icon; a null icon
// when kActionPictures has none for it.
QIcon ActionPictureIcon(const QString& name);

// Gives every tool button under `root` that has a picture its picture, shown
// without its text (the text and the hint stay); gives every action under
// `root` named in kActionPictures its picture, and the data, setup and report
// tool bars show their buttons' texts (the keys) beside the pictures.
void ApplyButtonPictures(QWidget& root);

}  // namespace velt
