#include "support/app_folder.h"

#include "framework/application.h"

namespace {
const char* const kAppFiles[] = {"Marrowin.ini",        "plink.exe",           "log.txt",
                                 "stand_in_script.txt", "stand_in_record.txt", "known_hosts"};
}

AppFolderFiles::AppFolderFiles() : folder_(fw::ExecutableFolder()) {
    RemoveAll();
}

AppFolderFiles::~AppFolderFiles() {
    RemoveAll();
}

void AppFolderFiles::WriteSettings(const std::string& contents) const {
    WriteWholeFile(File("Marrowin.ini"), contents);
}

std::string AppFolderFiles::ReadSettings() const {
    return ReadWholeFile(File("Marrowin.ini"));
}

void AppFolderFiles::RemoveAll() const {
    for (const char* name : kAppFiles)
        DeleteFileIfPresent(File(name));
}
