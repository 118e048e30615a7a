#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <chrono>
#include <fstream>
#include <future>
#include <string>

#include "HeadlessFixture.h"
#include "platform/Registry.h"
#include "platform/RegistryStore.h"

// Kept in a namespace of its own, so that its using-directives reach no other file.
namespace RegistryTests {

using namespace w32;
using registry::CRegistryStore;
using registry::tValue;

namespace {

class RegistryTest : public HeadlessTest {};

DWORD ReadNumber(HKEY root, const char16_t* path, const char16_t* name, LSTATUS* status)
{
    HKEY key = nullptr;
    DWORD value = 0, type = 0, size = sizeof value;
    *status = RegOpenKeyExW(root, path, 0, KEY_QUERY_VALUE, &key);
    if (*status != ERROR_SUCCESS)
        return 0;
    *status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return value;
}

TEST_F(RegistryTest, ValuesLiveUnderTheirRootAndKeyWithoutRegardToCase)
{
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Kostrel\\Settings", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, DWORD(REG_CREATED_NEW_KEY));
    const DWORD number = 0xA1B2C3D4;
    ASSERT_EQ(RegSetValueExW(key, u"Brush", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4), ERROR_SUCCESS);
    RegCloseKey(key);

    LSTATUS status;
    EXPECT_EQ(ReadNumber(HKEY_CURRENT_USER, u"software\\KOSTREL\\settings", u"BRUSH", &status), number);
    EXPECT_EQ(status, ERROR_SUCCESS);
    ReadNumber(HKEY_LOCAL_MACHINE, u"Software\\Kostrel\\Settings", u"Brush", &status);
    EXPECT_EQ(status, ERROR_FILE_NOT_FOUND);
    ReadNumber(HKEY_CURRENT_USER, u"Software\\Kostrel", u"Brush", &status);
    EXPECT_EQ(status, ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, SizesAreAskedFirstAndAccessIsChecked)
{
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Fonts", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    const std::u16string text = u"DejaVuSans.ttf";
    RegSetValueExW(key, u"DejaVu Sans (TrueType)", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   DWORD((text.size() + 1) * 2));
    RegCloseKey(key);

    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Fonts", 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
    DWORD type = 0, size = 0;
    ASSERT_EQ(RegQueryValueExW(key, u"DejaVu Sans (TrueType)", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD(REG_SZ));
    EXPECT_EQ(size, 30u);
    char16_t small[4];
    DWORD smallSize = sizeof small;
    EXPECT_EQ(RegQueryValueExW(key, u"DejaVu Sans (TrueType)", nullptr, &type, reinterpret_cast<BYTE*>(small),
                               &smallSize),
              ERROR_MORE_DATA);
    EXPECT_EQ(smallSize, 30u);
    const DWORD one = 1;
    EXPECT_EQ(RegSetValueExW(key, u"x", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4), ERROR_ACCESS_DENIED);
    RegCloseKey(key);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryTest, TheMachineFontListNamesInstalledFamiliesExactly)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", 0,
                            KEY_QUERY_VALUE, &key),
              ERROR_SUCCESS);
    char16_t path[512] = {};
    DWORD type = 0, size = sizeof path;
    ASSERT_EQ(RegQueryValueExW(key, u"dejavu sans (TrueType)", nullptr, &type, reinterpret_cast<BYTE*>(path), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD(REG_SZ));
    const std::u16string file(path);
    EXPECT_EQ(size, (file.size() + 1) * 2);
    EXPECT_EQ(file.substr(file.rfind(u'/') + 1), u"DejaVuSans.ttf");
    for (const char16_t* name : {u"No Such Face Anywhere (TrueType)", u"DejaVu Sans", u"DejaVu (TrueType)"}) {
        size = sizeof path;
        EXPECT_EQ(RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(path), &size), ERROR_FILE_NOT_FOUND)
            << "a family is named exactly or not at all";
    }
    RegCloseKey(key);
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", 0,
                            KEY_QUERY_VALUE, &key),
              ERROR_FILE_NOT_FOUND);
}

class RegistryFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char folder[] = "/tmp/kostrel-registry-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        m_folder = folder;
        m_file = m_folder + "/registry";
    }
    void TearDown() override
    {
        unlink(m_file.c_str());
        unlink((m_file + ".new").c_str());
        rmdir(m_folder.c_str());
    }
    void Write(const std::string& text)
    {
        std::ofstream(m_file, std::ios::binary) << text;
    }

    std::string m_folder;
    std::string m_file;
};

TEST_F(RegistryFileTest, NamesWithTabsAndNewLinesRoundTrip)
{
    CRegistryStore store;
    store.CreateKey('U', u"Software\\Kostrel");
    ASSERT_TRUE(store.SetValue('U', u"Software\\Kostrel", u"odd\tname\n%", tValue{REG_BINARY, {0, 1, 0xFE}}));
    ASSERT_TRUE(store.Save(m_file));

    CRegistryStore loaded;
    ASSERT_TRUE(loaded.Load(m_file));
    const tValue* value = loaded.FindValue('U', u"software\\kostrel", u"ODD\tNAME\n%");
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->type, DWORD(REG_BINARY));
    EXPECT_EQ(value->bytes, (std::vector<uint8_t>{0, 1, 0xFE}));
    EXPECT_FALSE(loaded.KeyExists('M', u"Software\\Kostrel"));
}

TEST_F(RegistryFileTest, TheFirstSaveMakesTheProgramsFolder)
{
    const std::string folder = m_folder + "/kostrel";
    CRegistryStore store;
    store.CreateKey('M', u"k");
    ASSERT_TRUE(store.Save(folder + "/registry"));
    CRegistryStore loaded;
    ASSERT_TRUE(loaded.Load(folder + "/registry"));
    EXPECT_TRUE(loaded.KeyExists('M', u"K"));
    unlink((folder + "/registry").c_str());
    rmdir(folder.c_str());
}

TEST_F(RegistryFileTest, DamagedLinesAreSkippedAndTheRestIsKept)
{
    Write("kostrel-registry 1\n"
          "V\tU\tgood\tn\t4\t01000000\n"
          "V\tU\tgood\todd\t4\t0100000\n"   // odd number of digits
          "V\tU\tgood\tbad%\t4\t01000000\n"  // an escape cut short
          "V\tX\tgood\tm\t4\t01000000\n"     // no such root
          "V\tU\tgood\tt\t4x\t01000000\n"    // a type that is no number
          "V\tU\tgood\tq\t4\t0G000000\n"     // not hexadecimal
          "K\tU\n"
          "V\tU\tgood\tlast\t1\t4100");      // the last line, cut before its end of line
    CRegistryStore store;
    ASSERT_TRUE(store.Load(m_file));
    ASSERT_NE(store.FindValue('U', u"good", u"n"), nullptr);
    EXPECT_EQ(store.FindValue('U', u"good", u"n")->bytes, (std::vector<uint8_t>{1, 0, 0, 0}));
    for (const char16_t* name : {u"odd", u"bad%", u"m", u"t", u"q"})
        EXPECT_EQ(store.FindValue('U', u"good", name), nullptr);
    EXPECT_NE(store.FindValue('U', u"good", u"last"), nullptr);
}

TEST_F(RegistryFileTest, AForeignFileIsRejectedAndAMissingOneIsEmpty)
{
    Write("something else\nV\tU\tk\tn\t4\t01000000\n");
    CRegistryStore store;
    EXPECT_FALSE(store.Load(m_file));
    EXPECT_FALSE(store.KeyExists('U', u"k"));
    unlink(m_file.c_str());
    EXPECT_TRUE(store.Load(m_file));
}

TEST_F(RegistryFileTest, OversizedValuesAreRefused)
{
    CRegistryStore store;
    store.CreateKey('U', u"k");
    tValue big{REG_BINARY, std::vector<uint8_t>(CRegistryStore::kMaxValueBytes + 1)};
    EXPECT_FALSE(store.SetValue('U', u"k", u"big", big));
    Write("kostrel-registry 1\nV\tU\tk\tbig\t3\t" + std::string((CRegistryStore::kMaxValueBytes + 1) * 2, '0') + "\n");
    EXPECT_TRUE(store.Load(m_file));
    EXPECT_EQ(store.FindValue('U', u"k", u"big"), nullptr);
}

TEST_F(RegistryFileTest, APipeBesideTheStoreDoesNotHoldASaveUp)
{
    const std::string pipe = m_file + ".new";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    CRegistryStore store;
    store.CreateKey('U', u"k");
    auto saved = std::async(std::launch::async, [&] { return store.Save(m_file); });
    if (saved.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        // A reader frees a save that waits on the pipe, so that the test fails instead of hanging.
        const int reader = open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
        saved.wait();
        close(reader);
        FAIL() << "the save waited on the pipe";
    }
    ASSERT_TRUE(saved.get());
    CRegistryStore loaded;
    ASSERT_TRUE(loaded.Load(m_file));
    EXPECT_TRUE(loaded.KeyExists('U', u"k"));
    struct stat status;
    ASSERT_EQ(lstat(pipe.c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode)) << "the pipe was left as it was";
}

}  // namespace

}  // namespace RegistryTests
