#include "components/pakwell/StubImage.h"

#include "components/pakwell/PakwellFormat.h"

// The stub program, built for Windows and embedded here at build time.
asm(".section .rodata\n"
    ".balign 16\n"
    ".hidden pakwell_stub_begin\n"
    ".hidden pakwell_stub_end\n"
    ".global pakwell_stub_begin\n"
    ".global pakwell_stub_end\n"
    "pakwell_stub_begin:\n"
    ".incbin \"" PAKWELL_STUB_FILE "\"\n"
    "pakwell_stub_end:\n"
    ".previous\n");

extern "C" const char pakwell_stub_begin[];
extern "C" const char pakwell_stub_end[];

namespace Pakwell {

bool StubWithOpenAfter(std::string_view openAfter, std::string &stub)
{
    stub.assign(pakwell_stub_begin, pakwell_stub_end);
    const std::string_view tag(OpenAfterTag, OpenAfterTagSize);
    const std::size_t slot = stub.find(tag);
    if (slot == std::string::npos || stub.find(tag, slot + 1) != std::string::npos)
        return false;
    if (openAfter.size() + 1 > OpenAfterSlotSize - OpenAfterTagSize)
        return false;
    stub.replace(slot + OpenAfterTagSize, openAfter.size() + 1, std::string(openAfter) + '\0');
    return true;
}

} // namespace Pakwell
