#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace Pakwell {

struct PackageFile
{
    std::string name; // UTF-8, the name it is unpacked under
    std::string content;
    std::time_t modified = 0;
};

// Reads the files of a "|"-separated list of paths. False when the list is
// empty, a path is empty, a file cannot be read as a plain file, or a name is
// not a safe one for a package (or is there twice, in any letter case).
bool ReadPackageFiles(std::string_view fileList, std::vector<PackageFile> &files);

// Whether name (UTF-8) may be a file of a package.
bool IsPackageName(std::string_view name);

} // namespace Pakwell
