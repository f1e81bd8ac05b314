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
  // Tab indexes count from 0; an index out of range is ignored (reads give "" / false). A
  // hidden current tab gives way to the nearest visible one; while every tab is hidden the
  // last one hidden stays current, until a tab shown again becomes current.
  void Set_Tab_Visible(int index, bool visible);
  bool Tab_Visible(int index) const;
  void Set_Caption(int index, const QString& caption);
  QString Caption(int index) const;

  void Set_Side(Tab_Side side);
  Tab_Side Side() const { return side_; }
  // Values below 1 count as 1.
  void Set_Tabs_Per_Row(int per_row);
  int Tabs_Per_Row() const { return per_row_; }
  // The room across the rows that the bar and the pages share (the notebook's height for
  // tabs at the top or bottom, its width on the sides): rows that would take more than half
  // of it fold (Folded_Tabs_Per_Row). 0, the start, never folds.
  void Set_Room(int room);
  // Tabs per row as laid out: Tabs_Per_Row(), folded to the room.
  int Shown_Per_Row() const;
  int Rows() const;

  int Current() const { return current_; }
  // Makes a visible tab current (a hidden one is refused) and reports the change.
  void Set_Current(int index);
  // Makes the next visible tab current (step > 0) or the previous one (step < 0), wrapping
  // around; nothing changes when no other tab is visible.
  void Step_Current(int step);
  // Called after the current tab changed, with the new index.
  std::function<void(int)> Current_Changed;

  // Where a visible tab is drawn, in the bar's coordinates; empty for a hidden tab. The tabs of
  // a row share the bar and never pass its end (tab_layout.h): at the top or bottom they fill
  // their row, widened towards the preferred length when the row holds fewer tabs than
  // "TabsPerRow"; on the left and right they are as long as the preferred length, shortened
  // so that a column fits. All tabs of the bar are equally long.
  QRect Tab_Rect(int index) const;
  // The caption as the tab shows it: bold on the current tab, and shortened with an ellipsis
  // when the tab is too short for it. "" for a hidden tab.
  QString Shown_Caption(int index) const;
  // The full caption when the tab shows it shortened, else "" (no tooltip needed).
  QString Tab_Tooltip(int index) const;
  // The length a tab would like along its row: room for the widest caption of a visible tab
  // in bold (so the current tab's bold caption fits too), at least Min_Tab_Length.
  int Preferred_Tab_Length() const;

  // Across a row of tabs: the height of a tab at the top or bottom, the width of a column of
  // tabs on the left or right (whose captions are turned by 90 degrees, so the column width
  // never depends on the captions).
  static constexpr int Tab_Height = 22;
  // The shortest a tab would like to be along its row; a crowded row shortens it further.
  static constexpr int Min_Tab_Length = 32;
  // Room around a caption along the tab.
  static constexpr int Caption_Padding = 16;

  // Across the row the bar is as thick as its rows; along it the bar asks for no more than its
  // visible tabs at Min_Tab_Length and needs only one such tab, whatever "TabsPerRow" says, so
  // it never makes the window larger than the screen.
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  struct Tab {
    QString Caption;
    bool Visible = true;
  };
  std::vector<int> Visible_Tabs() const;
  int In_Row() const;
  // The tab's font: the bar's, bold on the current tab.
  QFont Tab_Font(int index) const;
  // Room for the caption along the tab whose rectangle is `r`.
  static int Caption_Room(const QRect& r, bool horizontal);
  bool Horizontal() const { return side_ == Tab_Side::Top || side_ == Tab_Side::Bottom; }
  void Layout_Changed();

  std::vector<Tab> tabs_;
  Tab_Side side_ = Tab_Side::Bottom;
  int per_row_ = 4;
  int room_ = 0;
  int current_ = 0;
};

}  // namespace pw
