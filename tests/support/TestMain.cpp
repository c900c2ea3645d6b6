#include <gtest/gtest.h>

void InstallTestEnvironment();
int RunChildProgramIfAsked();

int main(int argc, char** argv)
{
    int child = RunChildProgramIfAsked();
    if (child >= 0)
        return child;
    ::testing::InitGoogleTest(&argc, argv);
    InstallTestEnvironment();
    return RUN_ALL_TESTS();
}
