// tessaly-gui: the method editor and the run wizard as windows. Everything but passing the
// arguments on is in the library.
#include "gui/TessalyGui.h"

#include <iostream>

int main(int argc, char** argv)
{
    return gui::runTessalyGui(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
