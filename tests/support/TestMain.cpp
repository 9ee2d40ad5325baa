// The main of the Windows test programs. CTest passes a program only when it
// prints the line below: one that ends early (a crash that Wine reports as
// exit code 0) then fails, instead of passing with its last cases unrun.
#include <cstdio>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    if (result == 0)
        std::printf("[ ALL RAN  ] every case ran and passed\n");
    return result;
}
