#include "report/windows1251.h"

namespace korvel {

void AppendWindows1251(std::string& out, std::string_view utf8) {
    const std::size_t start = out.size();
    out.resize(start + utf8.size());
    char* end = ConvertToWindows1251(utf8, out.data() + start);
    out.resize(static_cast<std::size_t>(end - out.data()));
}

std::string ToWindows1251(std::string_view utf8) {
    std::string out;
    AppendWindows1251(out, utf8);
    return out;
}

}  // namespace korvel
