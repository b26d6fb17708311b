// What the tests of our plink.exe share: the built plink.exe and stand-in ssh.exe, a run of
// plink.exe as Marrowin starts it (its stderr caught in a file), the stand-in's script and
// record, and free local ports.
#pragma once

#include "support/stand_in.h"
#include "support/stand_in_reports.h"
#include "support/temp_folder.h"

#include <windows.h>

#include <string>
#include <vector>

// The built programs, as Windows paths.
std::string PlinkPath();
std::string StandInSshPath();

// Local ports on 127.0.0.1 that nothing listens on right now, all different.
std::vector<int> FreeLocalPorts(size_t count);
// Whether something accepts a connection on 127.0.0.1 at the port.
bool Accepts(int port);
// Another program listening on 127.0.0.1 at the port while the object lives.
class PortHolder {
public:
    explicit PortHolder(int port);
    ~PortHolder();
    PortHolder(const PortHolder&) = delete;
    PortHolder& operator=(const PortHolder&) = delete;
    bool IsListening() const { return listening_; }

private:
    UINT_PTR socket_;
    bool listening_ = false;
};
// Waits for the process of that id to be gone; true once it is.
bool ProcessEnds(DWORD processId, DWORD timeoutMs = 20000);

// The folder the stand-in ssh.exe records into and takes its script from; the environment
// variable that tells the stand-in so is set while the object lives.
class StandInSshFolder {
public:
    StandInSshFolder();
    ~StandInSshFolder();
    StandInSshFolder(const StandInSshFolder&) = delete;
    StandInSshFolder& operator=(const StandInSshFolder&) = delete;

    const std::string& Path() const { return folder_.Path(); }
    void Script(const std::vector<std::string>& steps) const { WriteStandInScript(Path(), steps); }
    // Lets a "wait-file <name>" step go on.
    void Touch(const std::string& name) const { WriteWholeFile(folder_.File(name), ""); }
    bool WasStarted() const { return FileExists(folder_.File(kStandInRecordFile)); }
    // Forgets the record of an earlier run, so that the next one's stands alone.
    void ForgetRun() const { DeleteFileIfPresent(folder_.File(kStandInRecordFile)); }
    std::vector<std::string> Values(const std::string& name) const {
        return RecordedValues(ReadStandInRecord(Path()), name);
    }
    std::string Value(const std::string& name) const {
        return RecordedValue(ReadStandInRecord(Path()), name);
    }
    // Runs the message queue until the stand-in has recorded the line.
    bool WaitForLine(const std::string& line) const { return WaitForRecordLine(Path(), line); }
    // The stand-in's process id, 0 before it has recorded it.
    DWORD SshProcessId() const;

private:
    TempFolder folder_;
};

// plink.exe started as Marrowin starts it: hidden, with the given command line and the
// program path given separately. Its stderr goes to a file; it is terminated if still running
// when the object goes.
class PlinkRun {
public:
    PlinkRun() = default;
    ~PlinkRun();
    PlinkRun(const PlinkRun&) = delete;
    PlinkRun& operator=(const PlinkRun&) = delete;

    // The built plink.exe, or a copy of it in an app folder of the test's own.
    bool Start(const std::string& commandLine, const std::string& program = PlinkPath());
    // Runs the message queue until the process has ended; its exit code, or STILL_ACTIVE.
    DWORD WaitForExit(DWORD timeoutMs = 20000);
    bool IsRunning() const;
    DWORD ThreadId() const { return process_.dwThreadId; }
    HANDLE Process() const { return process_.hProcess; }
    std::string ErrorOutput() const;

private:
    TempFolder folder_;
    PROCESS_INFORMATION process_ = {};
};

// Sets an environment variable of this process, which plink.exe and ssh inherit, and puts
// back the old value when it goes.
class ScopedVariable {
public:
    ScopedVariable(const std::string& name, const char* value);
    ~ScopedVariable();
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    std::string name_;
    std::string old_;
    bool hadOld_ = false;
};
