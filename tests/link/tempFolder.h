#pragma once
// A fresh working folder for one test; the previous one is restored afterwards.

#include "tests/support/freshFolder.h"

#include <filesystem>
#include <string>

class TempWorkingFolder {
public:
    TempWorkingFolder() {
        previous_ = std::filesystem::current_path();
        path_ = makeFreshFolder("nexalo-");
        std::filesystem::current_path(path_);
    }
    ~TempWorkingFolder() {
        std::filesystem::current_path(previous_);
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path previous_;
    std::filesystem::path path_;
};
