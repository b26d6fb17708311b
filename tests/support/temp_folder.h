// Files for tests: a temporary folder removed with its contents, and whole-file helpers.
#pragma once

#include <string>
#include <vector>

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

bool FileExists(const std::string& path);
std::string ReadWholeFile(const std::string& path);
// The file's lines without their line ends; none when the file is missing.
std::vector<std::string> ReadLines(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& contents);
void DeleteFileIfPresent(const std::string& path);
// Removes a folder and everything below it.
void RemoveTree(const std::string& path);
