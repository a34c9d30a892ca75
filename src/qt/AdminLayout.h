#pragma once

#include "qt/LayoutHints.h"

namespace qtui {

// How the administration window is arranged at 1024 x 768: the location frames as
// tables (name, path, file name, version), the first page in two columns, the clearing
// lists two by two, the import page's three detail frames in one place and its notice
// over the page until Continue.
LayoutHints adminWindowLayout();

} // namespace qtui
