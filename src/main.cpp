#include "app/CApp.h"
#include "port_dialogs/SystemPortDialogs.h"

int main(int argc, char **argv)
{
    CApp application;
    registerPortDialogs(application);
    return application.run(argc, argv);
}
