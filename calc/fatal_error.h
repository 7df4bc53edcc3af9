// SPDX-License-Identifier: GPL-3.0-or-later
// The one failure type of every front end.
#pragma once

#include <stdexcept>
#include <string>

namespace korvel {

// The failure that ends a run: a conversion or arithmetic rule that cannot
// give a value, or a file that cannot be written.
class FatalError : public std::runtime_error {
public:
    // Codes of the number rules.
    static constexpr int kOverflow = 6;
    static constexpr int kDivisionByZero = 11;
    static constexpr int kTypeMismatch = 13;

    FatalError(int code, std::string description);
    // A number rule's code with its short Russian description.
    explicit FatalError(int code);

    int Code() const noexcept { return code_; }
    const std::string& Description() const noexcept { return description_; }

private:
    int code_;
    std::string description_;
};

// How every front end names a failure: "Ошибка <code>: <description>".
std::string ErrorText(const FatalError& error);

}  // namespace korvel
