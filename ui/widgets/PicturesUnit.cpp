#include <ui/widgets/PicturesUnit.h>

#include <QWidget>

namespace velt {

void ApplyButtonPictures(QWidget& root) {
  (void)root;
}

}  // namespace velt
