// The error box: a small borderless, stay-on-top box with red text on black that shows one
// error message modally. Any key, or a mouse press anywhere on it, closes it.
#pragma once

#include <QDialog>
#include <exception>
#include <string>

class QLabel;
class QWidget;

namespace pw {

// Centres `form` on the active window (on the primary screen when there is none, or when the
// form itself is the active one), then keeps it on screen.
void Centre_Form(QWidget& form);
// Moves `form` so it lies Screen_Margin pixels inside the primary screen.
void Keep_On_Screen(QWidget& form);

class TErrBox : public QDialog {
 public:
  explicit TErrBox(QWidget* parent = nullptr);

  // The box's typeface, plain style; the character set is kept for the record only (texts
  // are Unicode here). An unknown typeface falls back to the closest monospace font.
  void Set_Font(const std::string& typeface, int charset);
  // Restores the default cursor, then shows the exception's message.
  void Display(const std::exception& e);
  // Breaks, sizes, centres and shows `text` modally; returns when the box is closed. A text
  // wider than the screen is wrapped (Wrap_To_Width) so the box stays on it, taller by the
  // extra lines. Never raises; a call while the box is already shown does nothing.
  void Show_Text(const std::string& text);

  bool Showing() const { return showing_; }
  // What the latest Show_Text put on the label ("" before the first), and how many boxes
  // were shown: for the tests and the unattended runs.
  std::string Last_Text() const { return last_text_; }
  int Shown_Count() const { return shown_count_; }

  static constexpr int Box_Width = 244;
  static constexpr int Box_Height = 57;
  static constexpr int Text_Left = 61;
  static constexpr int Text_Top = 20;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  // The label's text: `text` wrapped to the room the primary screen leaves.
  std::string Fit_To_Screen(const std::string& text) const;
  int Two_Lines_Height() const;

  QLabel* txt_;
  bool showing_ = false;
  std::string last_text_;
  int shown_count_ = 0;
};

}  // namespace pw
