#pragma once
// A folder of a replay's own under the temporary folder: the working folder's firmware files
// and trust lists copied in, entered while the replayed run works, removed afterwards.

#include <filesystem>
#include <string>

class WorkFolder {
public:
    WorkFolder() = default;
    ~WorkFolder();
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    // Makes it and copies the files in; false with the reason in error.
    bool make(std::string& error);
    void enter();
    void leave();
    std::string path() const { return path_.string(); }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_, previous_;
    bool entered_ = false;
};

// path made absolute against the current folder.
std::string absolutePath(const std::string& path);
