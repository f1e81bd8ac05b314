#include "render/render_writer.h"

#include <filesystem>
#include <new>
#include <string>
#include <system_error>

#include "base/D_Error.h"
#include "base/parallel.h"
#include "draw/image_file.h"
#include "render/render_names.h"
#include "render/vector_svg.h"

namespace pw::render {

namespace {

// The folder for the pictures, made when missing: "Cannot create folder DIR: reason".
void Make_Out_Dir(const std::string& dir) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) throw Error("Cannot create folder " + dir + ": " + ec.message());
}

}  // namespace

Page_Writer::Page_Writer(const Render_Options& options, Canvas_Array& canvases,
                         Vector_Backends& vectors)
    : options_(options), canvases_(canvases), vectors_(vectors) {
  batch_.reserve(Max_Pages);  // no allocation on the way to writing
}

void Page_Writer::Page_Starting(int k) {
  TC_Bitmap& image = canvases_[static_cast<std::size_t>(k - 1)].Image;
  if (image.Has_Pixels()) return;
  try {
    image.Allocate_Pixels();
  } catch (const Error&) {
    // The pages waiting for their batch hold the memory: written now, they give it back.
    if (batch_.empty()) throw;
    Write_Batch();
    image.Allocate_Pixels();
  }
}

void Page_Writer::Page_Finished(int k) {
  if (options_.Format == Image_Format::Pdf) {
    // The document needs only the vector page, which keeps its own copies of layer pictures.
    canvases_[static_cast<std::size_t>(k - 1)].Image.Release_Pixels();
    return;
  }
  finished_ = k;
  batch_.push_back(k);
  next_ = k + 1;
  if (static_cast<int>(batch_.size()) >= Thread_Count()) Write_Batch();
}

void Page_Writer::Write_Up_To(int count) {
  if (options_.Format == Image_Format::Pdf) return;
  for (; next_ <= count; ++next_) batch_.push_back(next_);
  Write_Batch();
}

// Each page of the batch stands alone: every one is tried, and a failure costs only its page.
void Page_Writer::Write_Batch() {
  if (batch_.empty()) return;
  if (!folder_tried_) {
    folder_tried_ = true;
    try {
      Make_Out_Dir(options_.Out_Dir);
    } catch (...) {
      folder_failure_ = std::current_exception();
    }
  }
  if (!folder_failure_) {
    try {
      Parallel_For(batch_.size(), [&](std::size_t i) { Try_Write(batch_[i]); });
    } catch (const std::bad_alloc&) {
      // No room to start the helper threads: this thread writes them all.
      for (const int k : batch_) Try_Write(k);
    }
    if (Thread_Count() > 1 && batch_.size() > 1) Retry_Alone();
  }
  for (const int k : batch_) Release(k);
  batch_.clear();
}

void Page_Writer::Try_Write(int k) {
  std::exception_ptr& failure = failures_[static_cast<std::size_t>(k - 1)];
  try {
    Write_Image(k);
    failure = nullptr;
  } catch (...) {
    failure = std::current_exception();
  }
}

// Side by side, the batch's pictures and encoding buffers are held at once: a page that failed
// then (for want of memory, say) is tried again alone, after the others, holding no more than
// one thread would. A finished page gives its pixels back meanwhile and is drawn again for its
// turn (the same pixels); the page the drawing stopped at cannot be. A failure that does not
// depend on the others comes back the same.
void Page_Writer::Retry_Alone() {
  auto failed = [this](int k) { return failures_[static_cast<std::size_t>(k - 1)] != nullptr; };
  for (const int k : batch_) {
    if (!failed(k)) {
      Release(k);
    } else if (k <= finished_) {
      canvases_[static_cast<std::size_t>(k - 1)].Image.Release_Pixels();
    }
  }
  for (const int k : batch_) {
    if (!failed(k)) continue;
    if (Redrawn(k)) Try_Write(k);
    Release(k);
  }
}

// False when the page's pixels cannot be had again: its first failure then stands.
bool Page_Writer::Redrawn(int k) {
  TC_Bitmap& image = canvases_[static_cast<std::size_t>(k - 1)].Image;
  if (image.Has_Pixels()) return true;
  if (!Redraw) return false;
  try {
    image.Allocate_Pixels();
    Redraw(k);
    return true;
  } catch (...) {
    return false;
  }
}

void Page_Writer::Write_Image(int k) const {
  const std::string name = Page_File_Name(options_.Out_Dir, Shot_Base(options_.Data_File), k,
                                          Format_Extension(options_.Format));
  const TC_Bitmap& image = canvases_[static_cast<std::size_t>(k - 1)].Image;
  if (options_.Format == Image_Format::Bmp) {
    Write_BMP(image, name);
  } else if (options_.Format == Image_Format::Svg) {
    Write_SVG(vectors_[static_cast<std::size_t>(k - 1)]->Page(), name);
  } else {
    Write_PNG(image, name);
  }
}

// A written page is not drawn again in this run: its pixels and its vector page can go.
void Page_Writer::Release(int k) {
  TC_Canvas& canvas = canvases_[static_cast<std::size_t>(k - 1)];
  canvas.Image.Release_Pixels();
  if (options_.Format == Image_Format::Svg) {
    canvas.Backend = nullptr;
    vectors_[static_cast<std::size_t>(k - 1)].reset();
  }
}

}  // namespace pw::render
