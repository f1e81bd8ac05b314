// PDF files of vector pages, through cairo.
#pragma once

#include <string>
#include <vector>

#include "draw/d_vector_page.h"

namespace pw::render {

// One PDF document holding `pages` in order, each page its canvas size at 96 pixels per inch
// (a pixel is 0.75 points: 1024 x 768 pixels give 768 x 576 points). Texts are set in the
// face the raster used (embedded, so they can be searched and copied) at the raster's glyph
// positions; pictures are embedded losslessly. No creation date is written, so the same pages
// always give the same bytes. A failure of cairo raises Error "Cannot write file NAME: reason"
// (cairo's reason); running out of memory, std::bad_alloc.
std::string Pdf_Document(const std::vector<const Vector_Page*>& pages, const std::string& name);

// Pdf_Document written safely: "Cannot write file PATH: reason" when the file cannot be
// written.
void Write_PDF(const std::vector<const Vector_Page*>& pages, const std::string& path);

}  // namespace pw::render
