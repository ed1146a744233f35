// The version information that the build embeds in the executable: ProductName and FileVersion.
#pragma once

#include <QString>
#include <optional>

namespace quorvane {

struct VersionInfo {
  QString productName;
  QString fileVersion;
};

// The executable's own version information; nullopt for an executable built without it (the tests).
std::optional<VersionInfo> ReadVersionInfo();

}  // namespace quorvane

// The executable defines this symbol (generated from the CMake project version) as the string-file-info
// block "040904E4": "FileVersion=<version>\nProductName=<name>\n". Other programs that link the forms leave
// it undefined, and then have no version information.
extern "C" const char quorvane_version_resource[] __attribute__((weak));
