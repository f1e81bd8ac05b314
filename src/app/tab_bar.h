// A tab bar with rows: a fixed number of tabs, each with its own visibility and caption,
// laid out "tabs per row" at a time on any of the four sides of the page. Qt's own tab bar
// keeps every tab in one row, which the setup's "TabsPerRow" cannot express.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

#include "app/app_logic.h"

namespace pw {

class TTab_Bar : public QWidget {
 public:
  // `count` tabs captioned "1".."count", all visible, tab 0 current, placed at the bottom.
  explicit TTab_Bar(int count, QWidget* parent = nullptr);

  int Count() const { return static_cast<int>(tabs_.size()); }
  // Tab indexes count from 0; an index out of range is ignored (reads give "" / false).
  void Set_Tab_Visible(int index, bool visible);
  bool Tab_Visible(int index) const;
  void Set_Caption(int index, const QString& caption);
  QString Caption(int index) const;

  void Set_Side(Tab_Side side);
  Tab_Side Side() const { return side_; }
  // Values below 1 count as 1.
  void Set_Tabs_Per_Row(int per_row);
  int Tabs_Per_Row() const { return per_row_; }
  int Rows() const;

  int Current() const { return current_; }
  // Makes a visible tab current (a hidden one is refused) and reports the change.
  void Set_Current(int index);
  // Called after the current tab changed, with the new index.
  std::function<void(int)> Current_Changed;

  // Where a visible tab is drawn, in the bar's coordinates; empty for a hidden tab. On the
  // left and right a tab is Tab_Height wide and as long as its caption needs (at least
  // Min_Tab_Length), all tabs of the bar equally long.
  QRect Tab_Rect(int index) const;

  // Across a row of tabs: the height of a tab at the top or bottom, the width of a column of
  // tabs on the left or right (whose captions are turned by 90 degrees, so the column width
  // never depends on the captions).
  static constexpr int Tab_Height = 22;
  // The shortest a tab gets along its row.
  static constexpr int Min_Tab_Length = 32;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  struct Tab {
    QString Caption;
    bool Visible = true;
  };
  std::vector<int> Visible_Tabs() const;
  // Along a column on the left or right: the widest caption's room, shortened so the tabs of
  // a column fit the bar's height.
  int Column_Tab_Length() const;
  bool Horizontal() const { return side_ == Tab_Side::Top || side_ == Tab_Side::Bottom; }
  void Layout_Changed();

  std::vector<Tab> tabs_;
  Tab_Side side_ = Tab_Side::Bottom;
  int per_row_ = 4;
  int current_ = 0;
};

}  // namespace pw
