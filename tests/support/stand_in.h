// The scripted stand-ins for the SSH client (plink.exe) and for OpenSSH's ssh.exe as tests use
// them: where the built plink.exe is, putting it into a folder with a script, reading what a
// stand-in recorded, and saved sessions for it to read.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Files a stand-in uses in its folder.
inline constexpr char kStandInScriptFile[] = "stand_in_script.txt";
inline constexpr char kStandInRecordFile[] = "stand_in_record.txt";
// Where the SSH client finds its saved sessions, under HKEY_CURRENT_USER.
inline constexpr char kStandInSessionsKey[] = "Software\\Larkspindle\\PuTTY\\Sessions";

// The built stand-in, as a Windows path.
std::string StandInProgramPath();
// Copies the stand-in into the folder as plink.exe; false when the copy fails.
bool CopyStandInTo(const std::string& folder);
// The script the stand-in follows when started in this working folder, one step a line:
// "post WM_QV_CON_START", "sleep 200", "wait-quit", "exit 3" ...
void WriteStandInScript(const std::string& folder, const std::vector<std::string>& steps);
// The lines recorded so far by a stand-in started in this working folder.
std::vector<std::string> ReadStandInRecord(const std::string& folder);
// Moves the record aside, so that only a stand-in started from now on writes one; one still
// running writes on into the moved file.
bool MoveStandInRecordAside(const std::string& folder);
// The text after "<name>=" on every line that starts so.
std::vector<std::string> RecordedValues(const std::vector<std::string>& record,
                                        const std::string& name);
// The text after "<name>=" on the first line that starts so, or "<not recorded>".
std::string RecordedValue(const std::vector<std::string>& record, const std::string& name);
bool RecordHasLine(const std::vector<std::string>& record, const std::string& line);
// Runs the message queue until the stand-in has recorded the line; false when time runs out.
bool WaitForRecordLine(const std::string& folder, const std::string& line, DWORD timeoutMs = 20000);

// A session name no other test uses, so that test programs running side by side never share a
// saved session.
std::string UniqueSessionName(const std::string& base);

// Deletes the saved session of that name, however long the name.
void DeleteSavedSession(const std::string& name);

// A saved session "Software\Larkspindle\PuTTY\Sessions\<name>" under HKEY_CURRENT_USER, created
// empty and deleted with its values when the owner goes.
class SessionKey {
public:
    explicit SessionKey(const std::string& name);
    ~SessionKey();
    SessionKey(const SessionKey&) = delete;
    SessionKey& operator=(const SessionKey&) = delete;

    bool IsOpen() const { return key_ != nullptr; }
    const std::string& Name() const { return name_; }
    bool SetString(const std::string& valueName, const std::string& text);
    bool SetDword(const std::string& valueName, DWORD number);

private:
    std::string name_;
    std::string path_;
    HKEY key_ = nullptr;
};
