// Executable folder and starting other programs.
#pragma once

#include <string>
#include <vector>

namespace ksx {

// Folder of the running executable (from /proc/self/exe), without a trailing "/"; empty if unknown.
std::string GetModuleFolder();

// Starts argv[0] (searched on PATH) with its arguments as a detached process in its own session; the
// module does not wait for it or reap it later. False when the program cannot be found or started.
bool StartProcess(const std::vector<std::string>& argv);

}  // namespace ksx
