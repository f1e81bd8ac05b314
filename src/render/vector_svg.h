// SVG files of vector pages.
#pragma once

#include <string>

#include "draw/d_vector_page.h"

namespace pw::render {

// The SVG document of `page`: width and height in pixels (user units), its items in order as
// paths, rectangles, texts (with the glyph positions of the raster, family name and pixel
// size of the face the raster used) and embedded PNG pictures. The same page always gives
// the same text; the only ids are the fill patterns' ("f1", "f2", ... in order of use). A
// picture that cannot be encoded raises Error "Cannot write file NAME: reason".
std::string Svg_Document(const Vector_Page& page, const std::string& name);

// Svg_Document written safely (Write_Text_File): "Cannot write file PATH: reason" on failure.
void Write_SVG(const Vector_Page& page, const std::string& path);

}  // namespace pw::render
