// A refusal's box and the focus on its field.
#include "ui/dialogs/refusal_box.h"

#include "controls/look.h"
#include "framework/user_seam.h"

bool Accept(const Verdict& verdict, HWND owner, const FieldLookup& fieldOf) {
    if (!verdict)
        return true;
    fw::Control* field = fieldOf(verdict->field);
    if (field && verdict->clearField)
        field->SetText("");
    fw::ShowMessageBox(owner, verdict->message, kProgramName,
                       MB_OK | (verdict->information ? MB_ICONINFORMATION : MB_ICONSTOP));
    if (field)
        ::SetFocus(*field);
    return false;
}
