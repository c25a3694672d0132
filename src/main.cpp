#include "app/CApp.h"

int main(int argc, char **argv)
{
    CApp application;
    return application.run(argc, argv);
}
