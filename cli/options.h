#pragma once
// Reading "--name value" options; anything wrong is a usage error (exit status 2).

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class OptionList {
public:
    explicit OptionList(std::vector<std::string> args) : args_(std::move(args)) {}

    // The value after --name, removed from the list; empty when the option is absent.
    std::optional<std::string> takeValue(const std::string& name);
    // Whether --name is present (and removes it).
    bool takeFlag(const std::string& name);
    // Every option must have been taken by now.
    void expectNoMore() const;

private:
    std::vector<std::string> args_;
};

// An address of digits hex characters, upper-cased as the window's masked boxes do.
std::string parseHexAddress(const std::string& option, const std::string& text, std::size_t digits);
// A decimal number within [low, high].
unsigned long parseNumber(const std::string& option, const std::string& text, unsigned long low,
                          unsigned long high);
