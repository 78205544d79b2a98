#pragma once
// What the commands share in reading their options: the usage error (exit status 2) and the
// checks that CLI11 applies to option values.

#include <CLI/CLI.hpp>

#include <stdexcept>
#include <string>

// A mistake in the command line that only the command itself can see (options that exclude
// each other, say); reported like CLI11's own errors, on one line with exit status 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Exactly digits hex characters, upper-cased as the window's masked boxes do; apply it with
// transform(), since check() validates a copy.
CLI::Validator HexText(std::size_t digits);
// A decimal number within [low, high] (no sign, no blanks).
CLI::Validator DecimalRange(unsigned long low, unsigned long high);
// A file the command will write when it ends: its folder is there and takes a file, so that a
// long run is not lost for a report that cannot be written. Nothing is left behind by the check.
CLI::Validator WritableFile();
