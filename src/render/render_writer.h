// The page files of one run of plotwright-render, written while the pages are drawn so that
// the run holds the pixels of a few pages, not of all sixteen.
#pragma once

#include <array>
#include <exception>
#include <functional>
#include <memory>
#include <vector>

#include "draw/d_vector.h"
#include "pages/d_graphpageset.h"
#include "render/render_options.h"

namespace pw::render {

// SVG and PDF: the vector back-end of each canvas that gets a page.
using Vector_Backends = std::array<std::unique_ptr<TC_Vector_Backend>, Max_Pages>;

// Page k draws on canvases[k - 1] (and vectors[k - 1] for SVG and PDF); all must outlive the
// writer. Canvases are given their size with TC_Bitmap::Set_Size_Only: the writer gives each
// its pixels when its page starts and takes them back once the page is written.
//
// One picture file per page (BMP, PNG, SVG): finished pages are written in batches of
// Thread_Count(), encoded side by side. PDF: the writer only takes back the pixels of each
// finished page; the one document of all pages is written by the caller at the end.
//
// Nothing written here raises: the folder's failure and each page's are held, for the caller
// to report after whatever stopped the drawing.
class Page_Writer {
 public:
  Page_Writer(const Render_Options& options, Canvas_Array& canvases, Vector_Backends& vectors);

  // The page set's hooks. Page_Starting writes the waiting batch early when memory runs out,
  // and raises "Not enough memory for a picture of W x H pixels" when the page's pixels
  // cannot be had even then.
  void Page_Starting(int k);
  void Page_Finished(int k);

  // Writes every page up to `count` not written yet (the page the drawing stopped at, say).
  void Write_Up_To(int count);

  // Draws finished page k again on its canvas (which has its pixels again), exactly as it was
  // drawn before; unset, a page whose pixels were given back is not tried again.
  std::function<void(int page)> Redraw;

  // The failure to make the picture folder (null when made or not needed yet); while it is
  // set no picture is written.
  std::exception_ptr Folder_Failure() const { return folder_failure_; }
  // The failure of page k's picture, null when it was written or not tried.
  std::exception_ptr Failure(int k) const { return failures_[static_cast<std::size_t>(k - 1)]; }

 private:
  void Write_Batch();
  void Try_Write(int k);
  void Retry_Alone();
  bool Redrawn(int k);
  void Write_Image(int k) const;
  void Release(int k);

  const Render_Options& options_;
  Canvas_Array& canvases_;
  Vector_Backends& vectors_;
  std::vector<int> batch_;     // finished pages not written yet, in page order
  int next_ = 1;               // the first page not yet in a batch
  int finished_ = 0;           // the latest page drawn to its end
  bool folder_tried_ = false;
  std::exception_ptr folder_failure_;
  std::array<std::exception_ptr, Max_Pages> failures_;
};

}  // namespace pw::render
