#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace Pakwell {

struct PackageFile
{
    std::string path;
    std::string name; // UTF-8, the name it is unpacked under
};

// Splits a "|"-separated list of paths. False when the list is empty, a path
// is empty, or a name is not a safe one for a package (or is there twice, in
// any letter case).
bool ListPackageFiles(std::string_view fileList, std::vector<PackageFile> &files);

// Reads a plain file (no folder, no device) into content.
bool ReadPlainFile(const std::string &path, std::string &content, std::time_t &modified);

// Whether name (UTF-8) may be a file of a package.
bool IsPackageName(std::string_view name);

} // namespace Pakwell
