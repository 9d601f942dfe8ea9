#pragma once
// The viewer's picture loader: the file to a working bitmap.
#include "viewer/open_flow.h"

namespace pelira {

// BMP and DIB files through the BMP reader. A picture above the pixel limit fails with the
// limit's message for the user; other formats are not read yet and fail quietly (the blank
// picture shows).
PictureLoader DefaultPictureLoader();

}  // namespace pelira
