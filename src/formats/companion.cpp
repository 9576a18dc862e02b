#include "formats/companion.h"

#include <cctype>
#include <cstring>

std::string Companion_Name(const char* name, const char* upper, const char* lower) {
    const char* dot = std::strrchr(name, '.');
    const size_t keep = dot ? size_t(dot - name) : std::strlen(name);
    const char decides = dot ? dot[1] : keep > 0 ? name[keep - 1] : '\0';
    return std::string(name, keep) + (std::isupper(static_cast<unsigned char>(decides)) ? upper : lower);
}
