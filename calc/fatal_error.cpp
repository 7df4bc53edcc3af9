// SPDX-License-Identifier: GPL-3.0-or-later
#include "calc/fatal_error.h"

#include <string_view>
#include <utility>

namespace korvel {

namespace {

std::string_view DescriptionOf(int code) {
    switch (code) {
        case FatalError::kOverflow:
            return "Переполнение";
        case FatalError::kDivisionByZero:
            return "Деление на ноль";
        case FatalError::kTypeMismatch:
            return "Несоответствие типа";
        default:
            return "";
    }
}

}  // namespace

FatalError::FatalError(int code, std::string description)
    : std::runtime_error(std::to_string(code) + ": " + description),
      code_(code),
      description_(std::move(description)) {}

FatalError::FatalError(int code) : FatalError(code, std::string(DescriptionOf(code))) {}

std::string ErrorText(const FatalError& error) {
    return "Ошибка " + std::to_string(error.Code()) + ": " + error.Description();
}

}  // namespace korvel
