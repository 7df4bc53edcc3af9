// SPDX-License-Identifier: GPL-3.0-or-later
// The fixed data of every calculation: the eight pollutants and the emission
// factors of the 19 electrode brands, in g per kg of electrodes.
#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace korvel {

constexpr std::size_t kSubstanceCount = 8;
constexpr std::size_t kBrandCount = 19;

struct Substance {
    std::string_view code;  // four digits, leading zero included
    std::string_view name;
};

// Every per-substance list of the program follows this order.
inline constexpr std::array<Substance, kSubstanceCount> SubstanceCatalogue{{
    {"0143", "Марганец и его соединения"},
    {"0123", "Железа оксид"},
    {"2908", "Пыль неорганическая, содержащая SiO2 (20 - 70%)"},
    {"0344", "Фториды (в пересчете на F)"},
    {"0203", "Хром шестивалентный"},
    {"0342", "Фтористый водород"},
    {"0301", "Азота диоксид"},
    {"0337", "Углерода оксид"},
}};

// A factor is unset only when no brand matched; it then counts as 0.
using FactorRow = std::array<std::optional<double>, kSubstanceCount>;

struct Brand {
    std::string_view name;
    std::array<double, kSubstanceCount> factors;
};

// The brands in the order the brand list shows them.
inline constexpr std::array<Brand, kBrandCount> BrandTable{{
    {"УОНИ 13/45", {0.92, 10.69, 1.4, 3.4, 0, 0.75, 1.5, 13.3}},
    {"УОНИ 13/55", {1.09, 14.9, 1, 0, 0, 0.93, 2.7, 13.3}},
    {"УОНИ 13/65", {1.41, 4.49, 0.8, 0.8, 0, 1.17, 0, 0}},
    {"УОНИ 13/80", {0.78, 8.32, 1.05, 1.05, 0, 1.14, 0, 0}},
    {"УОНИ 13/85", {0.6, 9.8, 1.3, 1.3, 0, 1.1, 0, 0}},
    {"АНО - 1", {0.43, 9.17, 0, 0, 0, 2.13, 0, 0}},
    {"АНО - 3", {1.58, 15.42, 0, 0, 0, 0, 0, 0}},
    {"АНО - 4", {1.66, 15.73, 0.41, 0, 0, 0, 0, 0}},
    {"АНО - 5", {1.87, 12.53, 0, 0, 0, 0, 0, 0}},
    {"АНО - 6", {1.73, 14.97, 0, 0, 0, 0, 0, 0}},
    {"АНО - 7", {1.77, 8.53, 1.1, 1, 0, 0.4, 0.35, 4.5}},
    {"ОЗС - 3", {0.42, 14.88, 0, 0, 0, 0, 0, 0}},
    {"ОЗС - 4", {1.27, 9.63, 0, 0, 0, 0, 0, 0}},
    {"ОЗС - 6", {0.86, 12.94, 0, 0, 0, 1.53, 0, 0}},
    {"ЭА - 981/15", {0.74, 8.75, 0, 0, 0.81, 0.8, 0, 0}},
    {"МР - 3", {1.73, 9.77, 0, 0, 0, 0.4, 0, 0}},
    {"МР - 4", {1.1, 9.9, 0, 0, 0, 0.4, 0, 0}},
    {"Т - 590", {0, 41.8, 3.7, 0, 0, 0, 0, 0}},
    {"Т - 620", {0, 39.63, 2.87, 0, 0, 0, 0, 0}},
}};

// The brand whose text equals `brand` exactly (no trimming, no case folding),
// or null when none does, the empty text included.
const Brand* FindBrand(std::string_view brand);

// The factors of FindBrand's brand; eight unset factors when there is none.
FactorRow LookupBrand(std::string_view brand);

}  // namespace korvel
