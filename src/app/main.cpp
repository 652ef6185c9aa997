#include "app/ui/VexlorApp.h"

int main(int argc, char* argv[])
{
    return RunApplication(argc, argv);
}
