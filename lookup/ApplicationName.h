#pragma once

#include <string>

namespace zandrel {

// The running executable's file name without directory and extension ("zandrel" for
// /usr/bin/zandrel, "Zandrel" for C:\Apps\Zandrel.exe). Empty if the platform cannot tell.
std::string ApplicationName();

}  // namespace zandrel
