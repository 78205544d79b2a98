#pragma once
// Typed, range-checked reading of JSON object members. The first problem met is kept as the
// error, naming the member's path, and every later read is skipped.

#include <nlohmann/json.hpp>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>

namespace sim {

class JsonFields {
public:
    JsonFields(const nlohmann::json& object, std::string path, std::string& error);

    bool ok() const { return error_.empty(); }
    // Fails when the object has a member outside the given names (catches misspelt keys).
    void onlyKnown(std::initializer_list<const char*> names);
    bool has(const char* name) const;
    const nlohmann::json* member(const char* name) const;
    std::string path(const char* name) const { return path_ + "." + name; }
    void fail(const std::string& message);

    // Numbers may be given as JSON numbers or as hex text ("7F", "0001A2B3").
    std::optional<std::uint32_t> hexNumber(const char* name, std::uint32_t max);
    // Versions as hex text ("0105"), as "major.minor" in decimal ("1.05"), or a number.
    std::optional<std::uint16_t> version(const char* name);
    std::optional<std::uint32_t> integer(const char* name, std::uint32_t max);
    std::optional<double> share(const char* name);
    std::optional<bool> flag(const char* name);
    std::optional<std::string> text(const char* name);

private:
    const nlohmann::json& object_;
    std::string path_;
    std::string& error_;
};

// Convenience: keep the old value when the member is absent.
template <typename T, typename U> void assignIf(T& target, const std::optional<U>& value) {
    if (value) target = static_cast<T>(*value);
}

} // namespace sim
