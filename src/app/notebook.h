// The notebook: the multi-row tab bar and one page per tab, the bar on any side.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "app/tab_bar.h"

class QBoxLayout;
class QKeyEvent;
class QStackedWidget;

namespace pw {

class TNotebook : public QWidget {
 public:
  explicit TNotebook(QWidget* parent = nullptr);

  // Adds the page of the next tab; the notebook takes it over.
  void Add_Page(std::unique_ptr<QWidget> page);
  // Lays the bar and the pages out now, so the current page has its final size; the tab rows
  // fold to the notebook's size first (TTab_Bar::Set_Room).
  void Relayout();
  TTab_Bar& Tabs() { return *tabs_; }
  const TTab_Bar& Tabs() const { return *tabs_; }
  // Puts the tab bar on `side` of the pages.
  void Set_Side(Tab_Side side);
  int Current() const;
  QWidget* Current_Page() const;
  // Where the pages lie, in the notebook's coordinates.
  QRect Page_Area() const;
  // Ctrl+Tab and Ctrl+PgDn make the next visible tab current, Ctrl+Shift+Tab and Ctrl+PgUp the
  // previous one, wrapping around. True when `event` was one of these keys.
  bool Page_Key(const QKeyEvent& event);
  // Called with the new index after another tab became the current one.
  std::function<void(int)> Page_Changed;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Show_Current(int index);
  // Tells the bar the room across its rows.
  void Fit_Tabs();

  TTab_Bar* tabs_;
  QStackedWidget* stack_;
  QBoxLayout* layout_;
};

}  // namespace pw
