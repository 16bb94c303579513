#include "gui/map_viewer.h"

#include <QScrollArea>
#include <QVBoxLayout>

#include "gui/qt_image.h"

namespace orvantis {

bool saveImageWithDialog(TUserDialogs& dialogs, std::ostream& log, const TRgbImage& image) {
  const auto name = dialogs.chooseSaveFile("Save image to bmp", "bmp",
                                           "BMP files (*.bmp)|*.bmp|All Files (*.*)|*.*");
  if (!name) return false;
  if (image.saveBmp(name->toStdString())) return true;
  log << "Could not load or save the bitmap to file" << std::endl;
  dialogs.messageBox("Could not save the image to " + *name, "ERROR: saving image");
  return false;
}

TFormFrictionViewer::TFormFrictionViewer(TUserDialogs& dialogs, std::ostream& log, QWidget* parent)
    : QWidget(parent, Qt::Window), dialogs_(dialogs), log_(log) {
  setWindowTitle(kDefaultCaption);
  auto* layout = new QVBoxLayout(this);
  saveButton_ = new QPushButton("&Save to *.BMP...", this);
  saveButton_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  layout->addWidget(saveButton_);
  auto* scroll = new QScrollArea(this);
  imageLabel_ = new QLabel(scroll);
  imageLabel_->setObjectName("ImageFrictionAndPaths");
  imageLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  scroll->setWidget(imageLabel_);
  layout->addWidget(scroll);
  connect(saveButton_, &QPushButton::clicked, this, [this] { saveImage(); });
}

void TFormFrictionViewer::showImage(const QString& title, TRgbImage image) {
  image_ = std::move(image);
  setWindowTitle(title);
  imageLabel_->setPixmap(QPixmap::fromImage(toQImage(image_)));
  imageLabel_->resize(image_.width(), image_.height());  // sized to its picture
  resize(std::min(image_.width() + 40, 1200), std::min(image_.height() + 80, 900));
  show();
  raise();
  activateWindow();
}

void TFormFrictionViewer::saveImage() {
  saveImageWithDialog(dialogs_, log_, image_);
}

}  // namespace orvantis
