// Prints the expected report for a return code and a message, for the tests
// written in C and Python. Usage: print_report CODE MESSAGE
#include "ExpectedReport.h"

#include <cstdlib>
#include <iostream>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::cerr << "usage: print_report CODE MESSAGE\n";
        return 2;
    }
    std::cout << stubsetup::test::Report(std::atoi(argv[1]), argv[2]) << std::flush;
    return std::cout ? 0 : 1;
}
