#include "sample/SampleDriveCommand.h"

#include <iostream>

int main(int argc, char** argv)
{
    return sample::runSampleDriveCommand(std::vector<std::string>(argv + 1, argv + argc), std::cout,
                                         std::cerr);
}
