#pragma once
// The working folder of one test: a fresh, empty one under the system's temporary folder
// (removed afterwards, whatever was left read-only in it), or a given one; either way the
// previous working folder is restored.

#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

class WorkingFolder {
public:
    // A fresh one under base, removed afterwards as the default one is.
    struct Fresh {
        std::filesystem::path base;
    };
    WorkingFolder() : WorkingFolder(Fresh{std::filesystem::temp_directory_path()}) {}
    explicit WorkingFolder(const Fresh& under)
        : previous_(std::filesystem::current_path()), path_(fresh(under.base)), owned_(true) {
        std::filesystem::current_path(path_);
    }
    explicit WorkingFolder(const std::filesystem::path& existing)
        : previous_(std::filesystem::current_path()), path_(existing) {
        std::filesystem::current_path(path_);
    }
    ~WorkingFolder() {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
        if (!owned_) return;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    // A random name that create_directory claims only if no one has it yet.
    static std::filesystem::path fresh(const std::filesystem::path& base) {
        static std::mt19937_64 names{std::random_device{}()};
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::filesystem::path candidate =
                base / ("nexalo-" + std::to_string(names() % 1000000007));
            if (std::filesystem::create_directory(candidate)) return candidate;
        }
        throw std::runtime_error("no fresh folder under " + base.string());
    }

    std::filesystem::path previous_;
    std::filesystem::path path_;
    bool owned_ = false;
};
