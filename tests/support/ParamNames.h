#pragma once

#include <cctype>
#include <string>

namespace zandrel::test {

// A row's label as a parameterised test's name: letters and digits, words joined by underscores.
inline std::string TestName(const std::string& label)
{
    std::string name;
    bool gap = false;
    for (const char c : label) {
        if (std::isalnum(static_cast<unsigned char>(c))) {
            if (gap && !name.empty())
                name += '_';
            name += c;
            gap = false;
        } else {
            gap = true;
        }
    }
    return name.empty() ? "unnamed" : name;
}

}  // namespace zandrel::test
