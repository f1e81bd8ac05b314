#include "app/tab_bar.h"

#include <QFontMetrics>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTextDocument>
#include <QToolTip>
#include <algorithm>

#include "app/tab_layout.h"

namespace pw {

TTab_Bar::TTab_Bar(int count, QWidget* parent) : QWidget(parent) {
  for (int i = 0; i < count; ++i) tabs_.push_back({QString::number(i + 1), true});
  QFont f("Verdana");
  f.setPixelSize(12);
  setFont(f);
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void TTab_Bar::Set_Tab_Visible(int index, bool visible) {
  if (index < 0 || index >= Count() || tabs_[index].Visible == visible) return;
  tabs_[index].Visible = visible;
  // With every tab hidden the current one is hidden too: the first tab shown again takes over.
  if (visible && !tabs_[current_].Visible) Set_Current(index);
  if (!visible && index == current_) {
    // A hidden current tab gives way to the nearest visible one, looking forward first.
    for (int step = 1; step < Count(); ++step) {
      const int next = (index + step) % Count();
      if (tabs_[next].Visible) {
        Set_Current(next);
        break;
      }
    }
  }
  Layout_Changed();
}

bool TTab_Bar::Tab_Visible(int index) const {
  return index >= 0 && index < Count() && tabs_[index].Visible;
}

void TTab_Bar::Set_Caption(int index, const QString& caption) {
  if (index < 0 || index >= Count()) return;
  tabs_[index].Caption = caption;
  Layout_Changed();
}

QString TTab_Bar::Caption(int index) const {
  return index >= 0 && index < Count() ? tabs_[index].Caption : QString();
}

void TTab_Bar::Set_Side(Tab_Side side) {
  side_ = side;
  setSizePolicy(Horizontal() ? QSizePolicy::Preferred : QSizePolicy::Fixed,
                Horizontal() ? QSizePolicy::Fixed : QSizePolicy::Preferred);
  Layout_Changed();
}

void TTab_Bar::Set_Tabs_Per_Row(int per_row) {
  per_row_ = std::max(1, per_row);
  Layout_Changed();
}

void TTab_Bar::Set_Room(int room) {
  const int before = Shown_Per_Row();
  room_ = room;
  if (Shown_Per_Row() != before) Layout_Changed();
}

int TTab_Bar::Shown_Per_Row() const {
  return Folded_Tabs_Per_Row(static_cast<int>(Visible_Tabs().size()), per_row_, room_,
                             Tab_Height);
}

int TTab_Bar::Rows() const {
  return Tab_Rows(static_cast<int>(Visible_Tabs().size()), Shown_Per_Row());
}

void TTab_Bar::Set_Current(int index) {
  if (!Tab_Visible(index) || index == current_) return;
  current_ = index;
  update();
  if (Current_Changed) Current_Changed(current_);
}

void TTab_Bar::Step_Current(int step) {
  std::vector<bool> visible;
  for (const Tab& t : tabs_) visible.push_back(t.Visible);
  Set_Current(Step_Visible_Tab(visible, current_, step));
}

std::vector<int> TTab_Bar::Visible_Tabs() const {
  std::vector<int> shown;
  for (int i = 0; i < Count(); ++i) {
    if (tabs_[i].Visible) shown.push_back(i);
  }
  return shown;
}

int TTab_Bar::In_Row() const {
  return Tabs_In_Row(static_cast<int>(Visible_Tabs().size()), Shown_Per_Row());
}

QFont TTab_Bar::Tab_Font(int index) const {
  QFont f = font();
  f.setBold(index == current_);
  return f;
}

int TTab_Bar::Preferred_Tab_Length() const {
  QFont bold = font();
  bold.setBold(true);
  const QFontMetrics fm(bold);
  int widest = 0;
  for (const Tab& t : tabs_) {
    if (t.Visible) widest = std::max(widest, fm.horizontalAdvance(t.Caption));
  }
  return std::max(Min_Tab_Length, widest + Caption_Padding);
}

QRect TTab_Bar::Tab_Rect(int index) const {
  const std::vector<int> shown = Visible_Tabs();
  const auto it = std::find(shown.begin(), shown.end(), index);
  if (it == shown.end()) return {};
  const int pos = static_cast<int>(it - shown.begin());
  const int per_row = Shown_Per_Row();
  const int row = pos / per_row;
  const int slot = pos % per_row;
  const int rows = Rows();
  if (Horizontal()) {
    // The first row lies next to the page.
    const int line = side_ == Tab_Side::Top ? rows - 1 - row : row;
    const Tab_Span span = Row_Tab_Span(width(), per_row, In_Row(), Preferred_Tab_Length(), slot);
    return QRect(span.Start, line * Tab_Height, span.Length, Tab_Height);
  }
  const int col = side_ == Tab_Side::Left ? rows - 1 - row : row;
  const int length = Column_Tab_Length(height(), In_Row(), Preferred_Tab_Length());
  return QRect(col * Tab_Height, slot * length, Tab_Height, length);
}

int TTab_Bar::Caption_Room(const QRect& r, bool horizontal) {
  // The frame takes the last pixel of the tab, and the caption keeps 2 pixels from each end.
  return (horizontal ? r.width() : r.height()) - 5;
}

QString TTab_Bar::Shown_Caption(int index) const {
  if (!Tab_Visible(index)) return {};
  return QFontMetrics(Tab_Font(index))
      .elidedText(tabs_[index].Caption, Qt::ElideRight,
                  Caption_Room(Tab_Rect(index), Horizontal()));
}

QString TTab_Bar::Tab_Tooltip(int index) const {
  if (!Tab_Visible(index) || Shown_Caption(index) == tabs_[index].Caption) return {};
  return tabs_[index].Caption;
}

QSize TTab_Bar::sizeHint() const {
  // Captions play no part: renaming the tabs after the canvases were sized must not move the
  // pages' edges.
  const int along = std::max(1, In_Row()) * Min_Tab_Length;
  if (Horizontal()) return QSize(along, Rows() * Tab_Height);
  return QSize(Rows() * Tab_Height, along);
}

QSize TTab_Bar::minimumSizeHint() const {
  if (Horizontal()) return QSize(Min_Tab_Length, Rows() * Tab_Height);
  return QSize(Rows() * Tab_Height, Min_Tab_Length);
}

void TTab_Bar::Layout_Changed() {
  updateGeometry();
  update();
}

void TTab_Bar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QPalette& pal = palette();
  for (int i : Visible_Tabs()) {
    const QRect r = Tab_Rect(i).adjusted(0, 0, -1, -1);
    const bool current = i == current_;
    p.fillRect(r, current ? pal.color(QPalette::Base) : pal.color(QPalette::Button));
    p.setPen(pal.color(QPalette::Mid));
    p.drawRect(r);
    p.setFont(Tab_Font(i));
    p.setPen(pal.color(QPalette::ButtonText));
    p.save();
    // The caption runs along the tab: bottom to top on the left, top to bottom on the right.
    QRect along(0, 0, r.width(), r.height());
    if (side_ == Tab_Side::Left) {
      p.translate(r.left(), r.bottom() + 1);
      p.rotate(-90);
      along = QRect(0, 0, r.height(), r.width());
    } else if (side_ == Tab_Side::Right) {
      p.translate(r.right() + 1, r.top());
      p.rotate(90);
      along = QRect(0, 0, r.height(), r.width());
    } else {
      p.translate(r.topLeft());
    }
    p.drawText(along, Qt::AlignCenter, Shown_Caption(i));
    p.restore();
  }
}

bool TTab_Bar::event(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QWidget::event(event);
  const auto* help = static_cast<QHelpEvent*>(event);
  for (int i : Visible_Tabs()) {
    const QRect r = Tab_Rect(i);
    if (!r.contains(help->pos())) continue;
    const QString tip = Tab_Tooltip(i);
    if (!tip.isEmpty()) {
      // A tooltip that looks like markup would be shown as rich text: the caption is plain.
      const QString shown =
          Qt::mightBeRichText(tip) ? Qt::convertFromPlainText(tip, Qt::WhiteSpaceNoWrap) : tip;
      QToolTip::showText(help->globalPos(), shown, this, r);
      return true;
    }
    break;
  }
  QToolTip::hideText();
  event->ignore();
  return true;
}

void TTab_Bar::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    event->ignore();  // the right button opens the window's menu
    return;
  }
  for (int i : Visible_Tabs()) {
    if (Tab_Rect(i).contains(event->position().toPoint())) {
      Set_Current(i);
      break;
    }
  }
  event->accept();
}

}  // namespace pw
