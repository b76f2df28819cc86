#pragma once

#include <string>
#include <string_view>

namespace Pakwell {

// The Windows stub, with the name of the file to open after unpacking
// written into its slot. False when the name does not fit.
bool StubWithOpenAfter(std::string_view openAfter, std::string &stub);

} // namespace Pakwell
