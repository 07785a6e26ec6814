#include "foundation/singleton.h"
#include "foundation/xmlsettingsfile.h"

#include "temp_folder.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

const char kDefaultText[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root a=\"1\"\n\tb=\"x\"/>\n";
// What TinyXML writes for that document through a text-mode stream.
const char kDefaultFile[] = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<root a=\"1\" b=\"x\" />\r\n";

class TestFile : public CXmlSettingsFile
{
public:
    void CreateDefault() override
    {
        ++defaults;
        ParseDefault(kDefaultText);
    }

    TiXmlElement* Root() { return FindRoot("root"); }
    std::string Attr(const char* name)
    {
        const char* text = Root() ? Root()->Attribute(name) : nullptr;
        return text ? text : "<none>";
    }
    TiXmlDocument& Doc() { return m_document; }

    using CXmlSettingsFile::GetBoolAttribute;
    using CXmlSettingsFile::GetIntAttribute;
    using CXmlSettingsFile::GetStringAttribute;
    using CXmlSettingsFile::SetAttribute;
    using CXmlSettingsFile::SetBoolAttribute;
    using CXmlSettingsFile::SetIntAttribute;

    int defaults = 0;
};

std::string ReadText(const std::string& path)
{
    std::vector<BYTE> bytes = TempFolder::Read(path);
    return std::string(bytes.begin(), bytes.end());
}

void WriteText(const std::string& path, const std::string& text)
{
    ASSERT_TRUE(TempFolder::Write(path, std::vector<BYTE>(text.begin(), text.end())));
}

std::string ProgramFolder()
{
    char module[MAX_PATH];
    GetModuleFileNameA(NULL, module, MAX_PATH);
    std::string folder = module;
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

std::string CurrentFolder()
{
    char dir[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, dir);
    std::string folder = dir;
    if (folder.empty() || folder.back() != '\\')
        folder += '\\';
    return folder;
}

// Loading a missing file moves the current directory; every test puts it back.
class XmlSettingsFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        GetCurrentDirectoryA(MAX_PATH, m_savedDir);
        SetCurrentDirectoryA(m_temp.Path().c_str());
    }
    void TearDown() override { SetCurrentDirectoryA(m_savedDir); }

    TempFolder m_temp;
    char m_savedDir[MAX_PATH];
};

} // namespace

TEST_F(XmlSettingsFileTest, MissingFileIsCreatedFromDefault)
{
    std::string path = m_temp.File("new.xml");
    TestFile file;
    EXPECT_TRUE(file.Load(path));
    EXPECT_EQ(1, file.defaults);
    EXPECT_EQ(kDefaultFile, ReadText(path));
    EXPECT_EQ("1", file.Attr("a"));
    EXPECT_EQ(0, _stricmp(ProgramFolder().c_str(), CurrentFolder().c_str()));
    // The write went through a temporary file that is gone again.
    EXPECT_EQ(1u, m_temp.List().size());

    // A folder that does not exist: nothing can be written, the default is
    // used in memory and Load still succeeds.
    std::string nowhere = m_temp.File("absent\\new.xml");
    TestFile other;
    EXPECT_TRUE(other.Load(nowhere));
    EXPECT_EQ("x", other.Attr("b"));
    EXPECT_FALSE(TempFolder::Exists(nowhere));
}

TEST_F(XmlSettingsFileTest, MalformedOrEmptyFileIsReplaced)
{
    const char* bad[] = {"<root a=\"7\"", "", "   \r\n", "<root a=\"7\"></wrong>", "plain text"};
    for (const char* text : bad)
    {
        std::string path = m_temp.File("bad.xml");
        WriteText(path, text);
        TestFile file;
        EXPECT_TRUE(file.Load(path)) << text;
        EXPECT_EQ(kDefaultFile, ReadText(path)) << text;
        EXPECT_EQ("1", file.Attr("a")) << text;
    }
}

TEST_F(XmlSettingsFileTest, SoundFileIsReadAsItIs)
{
    std::string path = m_temp.File("good.xml");
    const std::string text = "<?xml version=\"1.0\"?>\r\n<!-- note -->\r\n<root a=\"7\" extra=\"y\"/>\r\n";
    WriteText(path, text);
    TestFile file;
    EXPECT_TRUE(file.Load(path));
    EXPECT_EQ(0, file.defaults);
    EXPECT_EQ("7", file.Attr("a"));
    EXPECT_EQ("y", file.Attr("extra"));
    EXPECT_EQ(text, ReadText(path));
}

TEST_F(XmlSettingsFileTest, FileThatCannotBeOpenedIsNotOverwritten)
{
    // Malformed on purpose: even a file that would be replaced once readable
    // keeps its contents while another handle denies sharing.
    std::string path = m_temp.File("locked.xml");
    const std::string text = "<root a=\"7\"";
    WriteText(path, text);
    HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    TestFile file;
    EXPECT_TRUE(file.Load(path));
    EXPECT_EQ("1", file.Attr("a"));
    EXPECT_EQ(1, file.defaults);
    // No replacement was even tried: the directory change that precedes
    // writing the default did not happen.
    EXPECT_EQ(0, _stricmp((m_temp.Path() + "\\").c_str(), CurrentFolder().c_str()));
    CloseHandle(lock);
    EXPECT_EQ(text, ReadText(path));
    EXPECT_EQ(1u, m_temp.List().size());

    // Once it can be read, the malformed file is replaced as usual.
    TestFile later;
    EXPECT_TRUE(later.Load(path));
    EXPECT_EQ(kDefaultFile, ReadText(path));

    // A folder in place of the file is not something to replace either.
    std::string folder = m_temp.File("folder.xml");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL));
    TestFile onFolder;
    EXPECT_TRUE(onFolder.Load(folder));
    EXPECT_EQ("1", onFolder.Attr("a"));
    EXPECT_TRUE(GetFileAttributesA(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(XmlSettingsFileTest, SixthLoadFailsButLoadsTheDocument)
{
    std::string path = m_temp.File("count.xml");
    TestFile file;
    // The fall-back load counts like any other.
    EXPECT_TRUE(file.Load(path));
    WriteText(path, "<root a=\"2\"/>");
    for (int i = 2; i <= 5; ++i)
        EXPECT_TRUE(file.Load(path)) << i;
    WriteText(path, "<root a=\"6\"/>");
    EXPECT_FALSE(file.Load(path));
    EXPECT_EQ("6", file.Attr("a"));
    EXPECT_FALSE(file.Load(path));
    EXPECT_FALSE(file.Load(m_temp.File("other.xml")));
}

TEST_F(XmlSettingsFileTest, SaveReplacesTheWholeFileOrNothing)
{
    std::string path = m_temp.File("save.xml");
    TestFile file;
    file.CreateDefault();
    WriteText(path, std::string(500, 'z'));
    EXPECT_TRUE(file.Save(path));
    EXPECT_EQ(kDefaultFile, ReadText(path));

    // A target held open without sharing cannot be replaced: false, the old
    // contents stay and no temporary file is left behind.
    const std::string old = "<root a=\"old\"/>";
    WriteText(path, old);
    HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    EXPECT_FALSE(file.Save(path));
    CloseHandle(lock);
    EXPECT_EQ(old, ReadText(path));
    EXPECT_EQ(1u, m_temp.List().size());

    // Missing folder.
    EXPECT_FALSE(file.Save(m_temp.File("absent\\save.xml")));
    EXPECT_EQ(1u, m_temp.List().size());

    // A relative name is saved in the current directory.
    EXPECT_TRUE(file.Save("relative.xml"));
    EXPECT_EQ(kDefaultFile, ReadText(m_temp.File("relative.xml")));
}

TEST(XmlSettingsAttributes, BoolIsTrueOnlyForExactTrue)
{
    TestFile file;
    file.CreateDefault();
    const struct { const char* text; bool value; } cases[] = {
        {"true", true}, {"True", false}, {"TRUE", false}, {"1", false},
        {" true", false}, {"true ", false}, {"false", false}, {"", false}};
    for (const auto& c : cases)
    {
        file.SetAttribute(file.Root(), "flag", c.text);
        bool value = !c.value;
        file.GetBoolAttribute(file.Root(), "flag", "true", value);
        EXPECT_EQ(c.value, value) << "'" << c.text << "'";
    }
    bool missing = false;
    file.GetBoolAttribute(file.Root(), "absent", "true", missing);
    EXPECT_TRUE(missing);
    EXPECT_EQ("true", file.Attr("absent"));
}

TEST(XmlSettingsAttributes, IntTakesLeadingDigitsAndSaturates)
{
    TestFile file;
    file.CreateDefault();
    const struct { const char* text; int value; } cases[] = {
        {"12abc", 12}, {"true", 0}, {"-3", -3}, {"", 0}, {"-", 0}, {"+42x", 42},
        {" \t 7", 7}, {"  -0", 0}, {"1 2", 1}, {"- 5", 0}, {"0x10", 0}, {"007", 7},
        {"2147483647", INT_MAX}, {"-2147483648", INT_MIN},
        {"2147483648", INT_MAX}, {"-2147483649", INT_MIN},
        {"99999999999999999999999", INT_MAX}, {"-99999999999999999999999", INT_MIN}};
    for (const auto& c : cases)
    {
        file.SetAttribute(file.Root(), "n", c.text);
        int value = 12345;
        file.GetIntAttribute(file.Root(), "n", "true", value);
        EXPECT_EQ(c.value, value) << "'" << c.text << "'";
    }
    int missing = 12345;
    file.GetIntAttribute(file.Root(), "absent", "true", missing);
    EXPECT_EQ(0, missing);
    int fallback = 0;
    file.GetIntAttribute(file.Root(), "absent2", "-17", fallback);
    EXPECT_EQ(-17, fallback);
}

TEST(XmlSettingsAttributes, StringFallbackAndSetters)
{
    TestFile file;
    file.CreateDefault();
    std::string text;
    file.GetStringAttribute(file.Root(), "missing", "fallback text", text);
    EXPECT_EQ("fallback text", text);
    EXPECT_EQ("fallback text", file.Attr("missing"));
    // An existing attribute, even an empty one, is not replaced by the fallback.
    file.SetAttribute(file.Root(), "empty", "");
    file.GetStringAttribute(file.Root(), "empty", "true", text);
    EXPECT_EQ("", text);
    file.GetStringAttribute(file.Root(), "b", "true", text);
    EXPECT_EQ("x", text);

    file.SetIntAttribute(file.Root(), "a", -1);
    EXPECT_EQ("-1", file.Attr("a"));
    file.SetIntAttribute(file.Root(), "min", INT_MIN);
    EXPECT_EQ("-2147483648", file.Attr("min"));
    file.SetBoolAttribute(file.Root(), "f", false);
    EXPECT_EQ("false", file.Attr("f"));
    file.SetBoolAttribute(file.Root(), "f", true);
    EXPECT_EQ("true", file.Attr("f"));

    // Existing attributes change in place; new ones are appended.
    TiXmlPrinter printer;
    file.Doc().Accept(&printer);
    EXPECT_NE(std::string::npos,
              std::string(printer.CStr()).find("<root a=\"-1\" b=\"x\" missing=\"fallback text\" empty=\"\" "
                                               "min=\"-2147483648\" f=\"true\" />"));
}

namespace {

int g_destroyed = 0;

class TestSingleton : public TestFile, public CSingleton<TestSingleton>
{
public:
    ~TestSingleton() override { ++g_destroyed; }
};

} // namespace

TEST_F(XmlSettingsFileTest, SingletonCreatesOnceAndDeletesOnce)
{
    g_destroyed = 0;
    TestSingleton* first = TestSingleton::Instance();
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(first, TestSingleton::Instance());

    std::string path = m_temp.File("single.xml");
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(first->Load(path));
    EXPECT_FALSE(first->Load(path));

    TestSingleton::DeleteInstance();
    EXPECT_EQ(1, g_destroyed);
    TestSingleton::DeleteInstance();
    EXPECT_EQ(1, g_destroyed);

    // A fresh object: its counter starts at 0 again.
    TestSingleton* second = TestSingleton::Instance();
    ASSERT_NE(nullptr, second);
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(second->Load(path)) << i;
    EXPECT_FALSE(second->Load(path));
    TestSingleton::DeleteInstance();
    EXPECT_EQ(2, g_destroyed);
}
