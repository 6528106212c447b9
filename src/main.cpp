#include "app/locations.h"
#include "window/qt/application_main.h"

int main(int argc, char **argv) { return applicationMain(argc, argv, systemLocations()); }
