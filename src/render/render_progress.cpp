#include "render/render_progress.h"

#include <algorithm>

namespace pw::render {

Progress_Line::Progress_Line(std::FILE* out, bool enabled)
    : out_(out), enabled_(enabled), start_(Clock::now()), last_(start_) {}

Progress_Line::~Progress_Line() { Clear(); }

void Progress_Line::Update(const std::string& what, double fraction) {
  if (!enabled_) return;
  const auto now = Clock::now();
  if (now - start_ < std::chrono::seconds(1)) return;
  if (shown_ && what == last_what_ && now - last_ < std::chrono::milliseconds(100)) return;
  last_ = now;
  last_what_ = what;
  if (fraction < 0) {
    std::fprintf(out_, "\r%s\x1b[K", what.c_str());
  } else {
    const int percent = static_cast<int>(std::clamp(fraction, 0.0, 1.0) * 100.0);
    std::fprintf(out_, "\r%s %d%%\x1b[K", what.c_str(), percent);
  }
  std::fflush(out_);
  shown_ = true;
}

void Progress_Line::Clear() {
  if (!shown_) return;
  std::fprintf(out_, "\r\x1b[K");
  std::fflush(out_);
  shown_ = false;
}

}  // namespace pw::render
