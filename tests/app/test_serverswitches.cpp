#include <gtest/gtest.h>

#include <vector>

#include "app/serverswitches.h"

namespace {

CServerSwitches Parse(std::vector<const char*> args)
{
    args.insert(args.begin(), "TelminCleanwarden.exe");
    return ParseServerSwitches(static_cast<int>(args.size()), args.data());
}

} // namespace

TEST(ServerSwitches, EverySpellingOfTheRegistrationSwitches)
{
    for (const char* arg : {"/RegServer", "-regserver", "/REGSERVER", "/Register", "-register"})
        EXPECT_EQ(CServerSwitches::Register, Parse({arg}).command) << arg;
    for (const char* arg : {"/UnregServer", "-unregserver", "/Unregister", "-UNREGISTER"})
        EXPECT_EQ(CServerSwitches::Unregister, Parse({arg}).command) << arg;
}

TEST(ServerSwitches, ServerModeFromEmbeddingOrAutomation)
{
    CServerSwitches s = Parse({"-Embedding"});
    EXPECT_TRUE(s.embedding);
    EXPECT_TRUE(s.IsServerOnly());
    EXPECT_EQ(CServerSwitches::Nothing, s.command);
    EXPECT_TRUE(Parse({"/automation"}).IsServerOnly());
    EXPECT_FALSE(Parse({}).IsServerOnly());
}

TEST(ServerSwitches, OtherArgumentsAndBareWordsAreLeftAlone)
{
    // Without a leading "/" or "-" a word is a file name to the framework;
    // the program's own switches and near misses are not registration.
    CServerSwitches s = Parse({"RegServer", "Embedding", "/r", "/h", "/s", "/RegServerX", "/Reg", "", "/"});
    EXPECT_EQ(CServerSwitches::Nothing, s.command);
    EXPECT_FALSE(s.IsServerOnly());
}

TEST(ServerSwitches, TheLastRegistrationSwitchCounts)
{
    EXPECT_EQ(CServerSwitches::Unregister, Parse({"/RegServer", "/UnregServer"}).command);
    EXPECT_EQ(CServerSwitches::Register, Parse({"/UnregServer", "/h", "/RegServer"}).command);
}
