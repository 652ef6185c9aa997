#include "common/VersionOption.h"

#include "ProjectVersion.h"

#include <cstdio>
#include <cstring>

const char* ProjectVersion()
{
    return VEXLOR_PROJECT_VERSION;
}

bool PrintVersionIfAsked(std::string_view program, int argc, const char* const* argv)
{
    if (argc != 2 || std::strcmp(argv[1], "--version") != 0)
        return false;
    std::printf("%.*s %s\n", static_cast<int>(program.size()), program.data(), ProjectVersion());
    return true;
}
