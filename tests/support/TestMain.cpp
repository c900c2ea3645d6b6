#include <gtest/gtest.h>

#include <stdio.h>

void InstallTestEnvironment();
int RunChildProgramIfAsked();

int main(int argc, char** argv)
{
    int child = RunChildProgramIfAsked();
    if (child >= 0)
        return child;
    ::testing::InitGoogleTest(&argc, argv);
    InstallTestEnvironment();
    int result = RUN_ALL_TESTS();
    // A filter that names no test (a suite renamed, a file left out of the build) must not pass.
    if (::testing::UnitTest::GetInstance()->test_to_run_count() == 0) {
        fprintf(stderr, "no test matched\n");
        return 1;
    }
    return result;
}
