#include "lookup/ApplicationName.h"

#include <filesystem>
#include <system_error>

namespace zandrel {

std::string ApplicationName()
{
    std::error_code error;
#if defined(__linux__)
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
#else
    const std::filesystem::path exe;
#endif
    if (error || exe.empty())
        return {};
    return exe.stem().string();
}

}  // namespace zandrel
