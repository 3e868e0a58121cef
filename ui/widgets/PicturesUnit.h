// The program's pictures: the tool buttons' pictures of every tab and the
// control button image list the mode indicators show, drawn as SVG in
// ui/pictures/ and built into the program as resources.
#pragma once

class QWidget;

namespace velt {

// Gives every tool button under `root` that has a picture its picture.
void ApplyButtonPictures(QWidget& root);

}  // namespace velt
