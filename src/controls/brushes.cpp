#include "controls/brushes.h"

#include "controls/look.h"
#include "owners/owners.h"

HBRUSH WindowGreyBrush() {
    static const fw::Brush brush(::CreateSolidBrush(kWindowGrey));
    return brush.Get();
}

HBRUSH FieldWhiteBrush() {
    static const fw::Brush brush(::CreateSolidBrush(kFieldWhite));
    return brush.Get();
}
