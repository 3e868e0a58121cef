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

// Gives every tool button under `root` that has a picture its picture, shown
// without its text (the text and the hint stay).
void ApplyButtonPictures(QWidget& root);

}  // namespace velt
