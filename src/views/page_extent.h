// The natural size of a page: its dialog template measured with the
// template's own font, and the conversions between screen pixels and
// HIMETRIC (0.01 mm) that extents are kept in.
#pragma once

#include <platform/ole2.h>

namespace vantrel {

// The template's size in pixels; {0, 0} when the template cannot be found
// or parsed.
SIZE TemplatePixels(HINSTANCE instance, WORD template_id);

// At the screen's LOGPIXELSX / LOGPIXELSY.
SIZEL PixelsToHimetric(SIZE pixels);
SIZE HimetricToPixels(SIZEL extent);

}  // namespace vantrel
