// The about box: the program's picture with its version, borderless and stay-on-top.
#pragma once

#include <QDialog>

class QLabel;

namespace pw {

class TAboutBox : public QDialog {
 public:
  // The version label reads "Version " + Version_Text as it is at creation.
  explicit TAboutBox(QWidget* parent = nullptr);

  // Centres the box on the active window (or the screen), then shows it modally; returns
  // when it is closed.
  void Show();
  QString Version_Caption() const;

  static constexpr int Box_Width = 244;
  static constexpr int Box_Height = 88;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void xImgClick();
  QLabel* version_;
};

}  // namespace pw
