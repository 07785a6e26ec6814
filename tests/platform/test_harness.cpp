#include <windows.h>
#include <gtest/gtest.h>

// The suite runs as a real Windows program: the Win32 API answers.
TEST(Harness, Win32ApiAnswers)
{
    char dir[MAX_PATH] = {};
    ASSERT_GT(GetTempPathA(MAX_PATH, dir), 0u);
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &key));
    RegCloseKey(key);
}
