#include "support/scripted_user.h"

#include <gtest/gtest.h>

ScriptedUser::ScriptedUser() {
    fw::InstallUserSeam(this);
}

ScriptedUser::~ScriptedUser() {
    fw::InstallUserSeam(nullptr);
}

void ScriptedUser::InDialog(UINT templateId, DialogAction action) {
    actions_.emplace_back(templateId, std::move(action));
}

int ScriptedUser::AnswerMessageBox(HWND owner, const std::string& text, const std::string& caption,
                                   UINT type) {
    return NextAnswer({text, caption, type, owner});
}

int ScriptedUser::AnswerMessageBoxIndirect(const MSGBOXPARAMSA& params) {
    RecordedBox box = {params.lpszText ? params.lpszText : "",
                       params.lpszCaption ? params.lpszCaption : "", params.dwStyle,
                       params.hwndOwner};
    if ((params.dwStyle & MB_USERICON) && IS_INTRESOURCE(params.lpszIcon)) {
        box.iconModule = params.hInstance;
        box.iconId = static_cast<UINT>(reinterpret_cast<ULONG_PTR>(params.lpszIcon));
    }
    return NextAnswer(box);
}

int ScriptedUser::NextAnswer(const RecordedBox& box) {
    boxes_.push_back(box);
    if (answers_.empty()) {
        ADD_FAILURE() << "unexpected message box: \"" << box.text << "\"";
        return IDCANCEL;
    }
    int answer = answers_.front();
    answers_.pop_front();
    return answer;
}

void ScriptedUser::ActInDialog(fw::Dialog& dialog) {
    if (actions_.empty() || actions_.front().first != dialog.TemplateId()) {
        ADD_FAILURE() << "unexpected modal dialog " << dialog.TemplateId();
        dialog.EndDialog(IDCANCEL);
        return;
    }
    DialogAction action = std::move(actions_.front().second);
    actions_.pop_front();
    action(dialog);
}

bool ScriptedUser::OpenHelpTopic(HWND, const std::string&, DWORD contextId) {
    helpTopics_.push_back(contextId);
    return true;
}

bool PumpMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > timeoutMs)
            return false;
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

void PumpMessagesFor(DWORD ms) {
    PumpMessagesUntil([] { return false; }, ms);
}
