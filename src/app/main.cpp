#include "app/Startup.h"

int main(int argc, char* argv[])
{
    return navrik::runNavrik(argc, argv);
}
