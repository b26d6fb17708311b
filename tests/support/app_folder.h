// The folder of the running test program, which the main window takes as its app folder:
// a fixture writes Marrowin.ini (and plink.exe, when wanted) there and removes them afterwards.
#pragma once

#include "support/temp_folder.h"

#include <string>

class AppFolderFiles {
public:
    AppFolderFiles();
    ~AppFolderFiles();

    const std::string& Folder() const { return folder_; }
    std::string File(const std::string& name) const { return folder_ + "\\" + name; }
    void WriteSettings(const std::string& contents) const;
    std::string ReadSettings() const;

private:
    void RemoveAll() const;
    std::string folder_;
};
