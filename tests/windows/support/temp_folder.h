#pragma once
#include <string>

// A fresh folder under %TEMP% for one test, removed with everything in it (read-only and
// hidden items included) when the test ends.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder, with a trailing backslash.
    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + name; }

    std::wstring MakeFolder(const std::wstring& relative) const;  // returns it with a backslash
    std::wstring MakeFile(const std::wstring& relative, const std::string& content = "x") const;

private:
    std::wstring path_;
};

void RemoveTree(const std::wstring& path);
std::string ReadFileBytes(const std::wstring& path);
