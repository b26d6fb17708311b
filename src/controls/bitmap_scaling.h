// Pictures of the program's resources at another size than they were drawn at, for windows
// shown at another scale than 100 %.
#pragma once

#include "owners/owners.h"

// The bitmap at the given size: each pixel the average of the pixels it covers when smaller,
// the nearest one's when larger, so that a black-and-white mask stays black and white. Empty
// when the bitmap cannot be read or the size is not positive.
fw::Bitmap ScaledBitmap(HBITMAP source, int width, int height);
// The bitmap at the given dots per inch, drawn for 96.
fw::Bitmap BitmapForDpi(HBITMAP source, UINT dpi);
