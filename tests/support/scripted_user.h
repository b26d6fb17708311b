// A scripted user for tests: answers message boxes from a queue, recording each box, and acts
// inside modal dialogs while their real modal loop runs. Installed for its lifetime.
#pragma once

#include "framework/dialog.h"
#include "framework/user_seam.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

struct RecordedBox {
    std::string text;
    std::string caption;
    UINT type;
    HWND owner = nullptr;
    // A box shown through MessageBoxIndirect: the module and resource id of its own icon.
    HINSTANCE iconModule = nullptr;
    UINT iconId = 0;
};

class ScriptedUser : public fw::UserSeam {
public:
    using DialogAction = std::function<void(fw::Dialog&)>;

    ScriptedUser();
    ~ScriptedUser() override;

    // The answer to the next message box. A box with no answer queued fails the test and is
    // answered IDCANCEL.
    void AnswerNextBox(int answer) { answers_.push_back(answer); }
    // What to do in the next modal run of the given template. A modal run with no action
    // queued fails the test and is ended with IDCANCEL.
    void InDialog(UINT templateId, DialogAction action);

    const std::vector<RecordedBox>& Boxes() const { return boxes_; }
    // The context ids of the help topics opened, in order.
    const std::vector<DWORD>& HelpTopics() const { return helpTopics_; }

    int AnswerMessageBox(HWND owner, const std::string& text, const std::string& caption,
                         UINT type) override;
    int AnswerMessageBoxIndirect(const MSGBOXPARAMSA& params) override;
    void ActInDialog(fw::Dialog& dialog) override;
    bool OpenHelpTopic(HWND owner, const std::string& helpFile, DWORD contextId) override;

private:
    int NextAnswer(const RecordedBox& box);

    std::deque<int> answers_;
    std::deque<std::pair<UINT, DialogAction>> actions_;
    std::vector<RecordedBox> boxes_;
    std::vector<DWORD> helpTopics_;
};

// Runs the calling thread's message queue until `done` holds or the time runs out; returns
// whether `done` held.
bool PumpMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);
// Runs the message queue for the given time.
void PumpMessagesFor(DWORD ms);
