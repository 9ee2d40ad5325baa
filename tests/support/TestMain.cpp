// CTest passes only a program that prints the line below: one that Wine ends early with exit code 0 fails.
#include <cstdio>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::printf(result == 0 ? "[ ALL RAN  ] every case ran and passed\n" : "");
    return result;
}
