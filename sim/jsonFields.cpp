#include "sim/jsonFields.h"

#include "sim/hexCodec.h"

#include <charconv>

namespace sim {

JsonFields::JsonFields(const nlohmann::json& object, std::string path, std::string& error)
    : object_(object), path_(std::move(path)), error_(error) {
    if (!object_.is_object()) fail(path_ + " must be an object");
}

void JsonFields::fail(const std::string& message) {
    if (error_.empty()) error_ = message;
}

void JsonFields::onlyKnown(std::initializer_list<const char*> names) {
    if (!ok() || !object_.is_object()) return;
    for (const auto& item : object_.items()) {
        bool known = false;
        for (const char* name : names)
            known = known || item.key() == name;
        if (!known) fail("unknown member " + path_ + "." + item.key());
    }
}

bool JsonFields::has(const char* name) const {
    return object_.is_object() && object_.contains(name);
}

const nlohmann::json* JsonFields::member(const char* name) const {
    if (!ok() || !has(name)) return nullptr;
    return &object_.at(name);
}

std::optional<std::uint32_t> JsonFields::integer(const char* name, std::uint32_t max) {
    const nlohmann::json* value = member(name);
    if (!value) return std::nullopt;
    if (!value->is_number_unsigned() || value->get<std::uint64_t>() > max) {
        fail(path(name) + " must be a whole number from 0 to " + std::to_string(max));
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(value->get<std::uint64_t>());
}

std::optional<std::uint32_t> JsonFields::hexNumber(const char* name, std::uint32_t max) {
    const nlohmann::json* value = member(name);
    if (!value) return std::nullopt;
    if (value->is_number()) return integer(name, max);
    std::optional<std::uint32_t> parsed;
    if (value->is_string()) parsed = parseHex(value->get<std::string>());
    if (!parsed || *parsed > max) {
        fail(path(name) + " must be upper-case hex text or a number up to " + hex8(max));
        return std::nullopt;
    }
    return parsed;
}

namespace {
std::optional<std::uint16_t> dottedVersion(const std::string& text) {
    std::size_t dot = text.find('.');
    unsigned major = 0, minor = 0;
    const char* end = text.data() + text.size();
    auto [majorEnd, e1] = std::from_chars(text.data(), text.data() + dot, major);
    auto [minorEnd, e2] = std::from_chars(text.data() + dot + 1, end, minor);
    if (e1 != std::errc{} || e2 != std::errc{} || majorEnd != text.data() + dot ||
        minorEnd != end || major > 255 || minor > 255)
        return std::nullopt;
    return static_cast<std::uint16_t>(major << 8 | minor);
}
} // namespace

std::optional<std::uint16_t> JsonFields::version(const char* name) {
    const nlohmann::json* value = member(name);
    if (!value) return std::nullopt;
    if (value->is_string() && value->get<std::string>().find('.') != std::string::npos) {
        std::optional<std::uint16_t> v = dottedVersion(value->get<std::string>());
        if (!v) fail(path(name) + " must read major.minor, both 0 to 255");
        return v;
    }
    std::optional<std::uint32_t> v = hexNumber(name, 0xFFFF);
    if (!v) return std::nullopt;
    return static_cast<std::uint16_t>(*v);
}

std::optional<double> JsonFields::share(const char* name) {
    const nlohmann::json* value = member(name);
    if (!value) return std::nullopt;
    if (!value->is_number() || value->get<double>() < 0 || value->get<double>() > 1) {
        fail(path(name) + " must be a share from 0 to 1");
        return std::nullopt;
    }
    return value->get<double>();
}

std::optional<bool> JsonFields::flag(const char* name) {
    const nlohmann::json* value = member(name);
    if (!value) return std::nullopt;
    if (!value->is_boolean()) {
        fail(path(name) + " must be true or false");
        return std::nullopt;
    }
    return value->get<bool>();
}

std::optional<std::string> JsonFields::text(const char* name) {
    const nlohmann::json* value = member(name);
    if (!value) return std::nullopt;
    if (!value->is_string()) {
        fail(path(name) + " must be text");
        return std::nullopt;
    }
    return value->get<std::string>();
}

} // namespace sim
