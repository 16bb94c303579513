#pragma once
// The map viewer window: one picture of the world (carrying capacity, friction, times of arrival,
// and the coalescence maps of the genetic simulations) that the user can save as a bitmap.

#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <ostream>

#include "gui/user_dialogs.h"
#include "world/output/image.h"

namespace orvantis {

class TFormFrictionViewer : public QWidget {
 public:
  inline static const QString kDefaultCaption = "Friction and path bitmap";

  TFormFrictionViewer(TUserDialogs& dialogs, std::ostream& log, QWidget* parent = nullptr);

  // Shows the picture under the title and brings the window forward.
  void showImage(const QString& title, TRgbImage image);
  const TRgbImage& image() const { return image_; }

  // "&Save to *.BMP...": the picture under the name chosen in the save dialog.
  void saveImage();

  QLabel* imageFrictionAndPaths() const { return imageLabel_; }
  QPushButton* saveButton() const { return saveButton_; }

 private:
  TUserDialogs& dialogs_;
  std::ostream& log_;
  TRgbImage image_;
  QLabel* imageLabel_;
  QPushButton* saveButton_;
};

// Asks for a bitmap name with the viewers' save dialog and saves the picture; a failure is
// logged and shown. False when nothing was saved.
bool saveImageWithDialog(TUserDialogs& dialogs, std::ostream& log, const TRgbImage& image);

}  // namespace orvantis
