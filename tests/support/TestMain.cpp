#include <gtest/gtest.h>

void InstallTestEnvironment();

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    InstallTestEnvironment();
    return RUN_ALL_TESTS();
}
