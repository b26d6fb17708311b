// Helpers around the scripted stand-ins and the window they report to; see stand_in.h and
// stand_in_reports.h.
#include "support/stand_in.h"

#include "resource.h"
#include "support/marrowin_process.h"
#include "support/scripted_user.h"
#include "support/stand_in_reports.h"
#include "support/temp_folder.h"
#include "tunnel/client_messages.h"

#include <algorithm>
#include <sstream>

std::string StandInProgramPath() {
    return WinePath(STAND_IN_PLINK_PATH);
}

bool CopyStandInTo(const std::string& folder) {
    std::string target = folder + "\\plink.exe";
    return ::CopyFileA(StandInProgramPath().c_str(), target.c_str(), FALSE) != FALSE;
}

void WriteStandInScript(const std::string& folder, const std::vector<std::string>& steps) {
    std::string script;
    for (const std::string& step : steps)
        script += step + "\r\n";
    WriteWholeFile(folder + "\\" + kStandInScriptFile, script);
}

std::vector<std::string> ReadStandInRecord(const std::string& folder) {
    return ReadLines(folder + "\\" + kStandInRecordFile);
}

std::vector<std::string> RecordedValues(const std::vector<std::string>& record,
                                        const std::string& name) {
    std::vector<std::string> values;
    std::string prefix = name + "=";
    for (const std::string& line : record) {
        if (line.compare(0, prefix.size(), prefix) == 0)
            values.push_back(line.substr(prefix.size()));
    }
    return values;
}

std::string RecordedValue(const std::vector<std::string>& record, const std::string& name) {
    std::vector<std::string> values = RecordedValues(record, name);
    return values.empty() ? "<not recorded>" : values.front();
}

bool RecordHasLine(const std::vector<std::string>& record, const std::string& line) {
    return std::find(record.begin(), record.end(), line) != record.end();
}

bool WaitForRecordLine(const std::string& folder, const std::string& line, DWORD timeoutMs) {
    return PumpMessagesUntil([&] { return RecordHasLine(ReadStandInRecord(folder), line); },
                             timeoutMs);
}

std::string UniqueSessionName(const std::string& base) {
    static unsigned counter = 0;
    std::ostringstream name;
    name << base << "-" << ::GetCurrentProcessId() << "-" << ++counter;
    return name.str();
}

SessionKey::SessionKey(const std::string& name)
    : name_(name), path_(std::string(kStandInSessionsKey) + "\\" + name) {
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_ALL_ACCESS, nullptr, &key_, nullptr) != ERROR_SUCCESS)
        key_ = nullptr;
}

SessionKey::~SessionKey() {
    if (!key_)
        return;
    ::RegCloseKey(key_);
    ::RegDeleteKeyA(HKEY_CURRENT_USER, path_.c_str());
}

bool SessionKey::SetString(const std::string& valueName, const std::string& text) {
    return key_ && ::RegSetValueExA(key_, valueName.c_str(), 0, REG_SZ,
                                    reinterpret_cast<const BYTE*>(text.c_str()),
                                    static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

bool SessionKey::SetDword(const std::string& valueName, DWORD number) {
    return key_ && ::RegSetValueExA(key_, valueName.c_str(), 0, REG_DWORD,
                                    reinterpret_cast<const BYTE*>(&number),
                                    sizeof(number)) == ERROR_SUCCESS;
}

void DeleteSavedSession(const std::string& name) {
    HKEY sessions = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kStandInSessionsKey, 0, KEY_ALL_ACCESS, &sessions) !=
        ERROR_SUCCESS)
        return;
    ::RegDeleteKeyA(sessions, name.c_str());
    ::RegCloseKey(sessions);
}

ReportWindow::ReportWindow(const char* title) : Dialog(IDD_ABOUTBOX) {
    for (UINT message : {WM_QV_CON_START, WM_QV_CON_ESTH, WM_QV_STOP}) {
        OnMessage(message, [this, message](WPARAM, LPARAM) {
            arrived.push_back(message);
            if (message == WM_QV_STOP)
                reasonsAtStop.push_back(notice_.TakeOnEnd());
            return 0;
        });
    }
    OnMessage(WM_COPYDATA, [this](WPARAM, LPARAM l) -> LRESULT {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(l);
        return notice_.OnCopyData(data->dwData, data->lpData, data->cbData);
    });
    if (Create())
        ::SetWindowTextA(Handle(), title);
}

size_t ReportWindow::Count(UINT message) const {
    return static_cast<size_t>(std::count(arrived.begin(), arrived.end(), message));
}
