#include "app/notebook.h"

#include <QBoxLayout>
#include <QKeyEvent>
#include <QStackedWidget>

#include "app/qt_child.h"

namespace pw {

namespace {
constexpr int Tab_Count = 16;
}

TNotebook::TNotebook(QWidget* parent) : QWidget(parent) {
  layout_ = Child<QBoxLayout>(this, QBoxLayout::TopToBottom);
  layout_->setContentsMargins(0, 0, 0, 0);
  layout_->setSpacing(0);
  stack_ = Child<QStackedWidget>(this);
  tabs_ = Child<TTab_Bar>(this, Tab_Count);
  tabs_->setObjectName("xTabs");
  tabs_->Current_Changed = [this](int index) { Show_Current(index); };
  Set_Side(Tab_Side::Bottom);
}

void TNotebook::Add_Page(std::unique_ptr<QWidget> page) {
  stack_->addWidget(page.release());  // the stack is now its Qt parent and owner
}

void TNotebook::Relayout() {
  Fit_Tabs();
  tabs_->updateGeometry();
  layout_->invalidate();
  layout_->activate();
}

void TNotebook::Set_Side(Tab_Side side) {
  tabs_->Set_Side(side);
  layout_->removeWidget(tabs_);
  layout_->removeWidget(stack_);
  switch (side) {
    case Tab_Side::Top: layout_->setDirection(QBoxLayout::TopToBottom); break;
    case Tab_Side::Bottom: layout_->setDirection(QBoxLayout::BottomToTop); break;
    case Tab_Side::Left: layout_->setDirection(QBoxLayout::LeftToRight); break;
    case Tab_Side::Right: layout_->setDirection(QBoxLayout::RightToLeft); break;
  }
  layout_->addWidget(tabs_);
  layout_->addWidget(stack_, 1);
  Fit_Tabs();
}

void TNotebook::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // The layout has placed the bar already: rows that fold now are laid out again soon after.
  Fit_Tabs();
}

void TNotebook::Fit_Tabs() {
  const Tab_Side side = tabs_->Side();
  tabs_->Set_Room(side == Tab_Side::Top || side == Tab_Side::Bottom ? height() : width());
}

int TNotebook::Current() const { return tabs_->Current(); }

QWidget* TNotebook::Current_Page() const { return stack_->currentWidget(); }

QRect TNotebook::Page_Area() const { return stack_->geometry(); }

bool TNotebook::Page_Key(const QKeyEvent& event) {
  const Qt::KeyboardModifiers mods = event.modifiers() & ~Qt::KeypadModifier;
  int step = 0;
  switch (event.key()) {
    case Qt::Key_Tab:  // with Shift some platforms send Tab, others Backtab
      if (mods == Qt::ControlModifier) step = 1;
      if (mods == (Qt::ControlModifier | Qt::ShiftModifier)) step = -1;
      break;
    case Qt::Key_Backtab:
      if (mods == (Qt::ControlModifier | Qt::ShiftModifier)) step = -1;
      break;
    case Qt::Key_PageDown:
      if (mods == Qt::ControlModifier) step = 1;
      break;
    case Qt::Key_PageUp:
      if (mods == Qt::ControlModifier) step = -1;
      break;
    default:
      break;
  }
  if (step == 0) return false;
  tabs_->Step_Current(step);
  return true;
}

void TNotebook::Show_Current(int index) {
  if (index >= 0 && index < stack_->count()) stack_->setCurrentIndex(index);
  if (Page_Changed) Page_Changed(index);
}

}  // namespace pw
