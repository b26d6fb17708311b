// The shape of a skinned button, read from a mask bitmap: every pixel that is not white
// belongs to it.
#pragma once

#include "owners/owners.h"

// The union of the runs of non-white pixels of the bitmap, row by row, in the bitmap's pixel
// coordinates; empty when the bitmap cannot be read.
fw::Region RegionFromMask(HBITMAP mask);
