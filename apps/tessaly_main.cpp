// tessaly: the command-line host driver. Everything but argument passing is in the library.
#include "apps/Tessaly.h"

#include <iostream>

int main(int argc, char** argv)
{
    return tessaly::run(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
