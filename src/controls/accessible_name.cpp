// The control's accessible object: the system's own (CreateStdAccessibleObject) wrapped, with
// the name, role, state and description the program gives it. The wrapper is handed out on
// WM_GETOBJECT; the given values live with the control's subclass until its window goes.
#include "controls/accessible_name.h"

#include <commctrl.h>
#include <oleacc.h>

namespace {

const UINT_PTR kSubclassId = 0xACC;

bool IsSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

HRESULT GiveText(const std::wstring& text, BSTR* out) {
    *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT GiveNumber(long number, VARIANT* out) {
    out->vt = VT_I4;
    out->lVal = number;
    return S_OK;
}

class NamedAccessible final : public IAccessible {
public:
    NamedAccessible(IAccessible* system, const AccessibleName& given)
        : system_(system), given_(given) {}

    // IUnknown: what the wrapper does not know itself (IEnumVARIANT, IOleWindow) is the
    // system object's.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
        if (id == IID_IUnknown || id == IID_IDispatch || id == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        return system_->QueryInterface(id, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ::InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = ::InterlockedDecrement(&references_);
        if (left == 0)
            delete this;
        return left;
    }

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        return system_->GetTypeInfoCount(count);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
        return system_->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID id, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override {
        return system_->GetIDsOfNames(id, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID id, LCID locale, WORD flags,
                                     DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                     UINT* wrongArgument) override {
        return system_->Invoke(member, id, locale, flags, parameters, result, exception,
                               wrongArgument);
    }

    // IAccessible: name, role, state and description are the given ones where given.
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (IsSelf(child) && given_.name)
            return GiveText(*given_.name, name);
        return system_->get_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (IsSelf(child) && given_.role != 0)
            return GiveNumber(given_.role, role);
        return system_->get_accRole(child, role);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        if (!IsSelf(child) || given_.state < 0)
            return system_->get_accState(child, state);
        // Focus is the system's to tell; the rest is the given state.
        HRESULT result = system_->get_accState(child, state);
        long focus = SUCCEEDED(result) && state->vt == VT_I4 ? state->lVal & STATE_SYSTEM_FOCUSED
                                                             : 0;
        return GiveNumber(given_.state | focus, state);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
        if (IsSelf(child) && !given_.description.empty())
            return GiveText(given_.description, description);
        return system_->get_accDescription(child, description);
    }

    // The rest is the system's.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return system_->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        return system_->get_accChildCount(count);
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        return system_->get_accChild(child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return system_->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return system_->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return system_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return system_->get_accKeyboardShortcut(child, shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
        return system_->get_accFocus(child);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
        return system_->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return system_->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        return system_->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override {
        return system_->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        return system_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
        return system_->accHitTest(x, y, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return system_->accDoDefaultAction(child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return system_->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return system_->put_accValue(child, value);
    }

private:
    ~NamedAccessible() { system_->Release(); }

    IAccessible* system_;
    const AccessibleName given_;
    LONG references_ = 1;
};

// The wrapper is made for each request: the screen reader holds it, not the control.
LRESULT AnswerGetObject(HWND control, WPARAM flags, const AccessibleName& given) {
    // Handing an object to another process takes COM on this thread; started once, it stays.
    static const bool comStarted = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    IAccessible* system = nullptr;
    if (!comStarted || FAILED(::CreateStdAccessibleObject(control, OBJID_CLIENT, __uuidof(IAccessible),
                                                          reinterpret_cast<void**>(&system))))
        return ::DefSubclassProc(control, WM_GETOBJECT, flags, OBJID_CLIENT);
    auto* named = new NamedAccessible(system, given);
    LRESULT result = ::LresultFromObject(__uuidof(IAccessible), flags, named);
    named->Release();
    return result;
}

LRESULT CALLBACK NamedControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                  UINT_PTR, DWORD_PTR data) {
    auto* given = reinterpret_cast<AccessibleName*>(data);
    if (message == WM_GETOBJECT && static_cast<DWORD>(lParam) == static_cast<DWORD>(OBJID_CLIENT))
        return AnswerGetObject(control, wParam, *given);
    if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(control, NamedControlProc, kSubclassId);
        delete given;
    }
    return ::DefSubclassProc(control, message, wParam, lParam);
}

} // namespace

bool GiveAccessibleName(HWND control, const AccessibleName& accessible) {
    auto* given = new AccessibleName(accessible);
    if (::SetWindowSubclass(control, NamedControlProc, kSubclassId,
                            reinterpret_cast<DWORD_PTR>(given)))
        return true;
    delete given;
    return false;
}

void AnnounceNameChange(HWND control) {
    ::NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, control, OBJID_CLIENT, CHILDID_SELF);
}
