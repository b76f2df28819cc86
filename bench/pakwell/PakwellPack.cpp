#include "components/pakwell/Pakwell.h"

#include <dlfcn.h>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: pakwell-pack EXE LIST [OPEN]\n");
        return 2;
    }
    void *library = dlopen(PAKWELL_LIBRARY, RTLD_NOW);
    const auto build =
        library ? reinterpret_cast<BuildSelfExtractingFileFunction>(dlsym(library, "BuildSelfExtractingFile"))
                : nullptr;
    if (!build) {
        std::fprintf(stderr, "pakwell-pack: %s\n", dlerror());
        return 2;
    }
    return build(argv[1], argv[2], argc == 4 ? argv[3] : "Vexilo.htm", "") ? 0 : 1;
}
