#include "app/ui/VexlorApp.h"
#include "common/VersionOption.h"

int main(int argc, char* argv[])
{
    if (PrintVersionIfAsked("vexlor", argc, argv))
        return 0;
    return RunApplication(argc, argv);
}
