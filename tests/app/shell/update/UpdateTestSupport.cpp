#include "UpdateTestSupport.h"

#include <algorithm>

#include "toolkit/core/tCFRef.h"
#include "toolkit/core/tCFile.h"
#include "toolkit/core/tCStream.h"
#include "toolkit/core/tCStringTable.h"

tResult ControllerStandIn::OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg, uint32_t)
{
    switch (message) {
    case kMsgUpdateCheck:
        return manager->IsIdle() ? manager->Start() : kResOk;
    case kMsgUpdateStop:
        return manager->IsIdle() ? kResOk : manager->Stop();
    case kMsgUpdateReport:
    case kMsgUpdateFailed: {
        Record record{message, a, b, {}};
        if (message == kMsgUpdateReport)
            for (const tCString& text : *FromMsgArg<tCStringArray>(b))
                record.texts.emplace_back(text.View());
        records.push_back(record);
        return answer;
    }
    default:
        return kResOk;
    }
}

int ControllerStandIn::Count(uint32_t message) const
{
    return int(std::count_if(records.begin(), records.end(), [&](const Record& r) { return r.message == message; }));
}

std::string ManifestBytes(const std::vector<std::string>& lines, const char* lineEnd)
{
    std::string bytes;
    for (const std::string& line : lines)
        bytes += line + lineEnd;
    return bytes;
}

std::string WideManifestBytes(const std::u16string& text)
{
    return "\xFF\xFE" + tCStream::LittleEndianUnits(text);
}

std::vector<std::string> ListTree(const std::filesystem::path& folder, const std::filesystem::path& skip)
{
    std::vector<std::string> listing;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
         it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        const std::filesystem::path path = it->path();
        if (!skip.empty() && path == skip) {
            it.disable_recursion_pending();
            continue;
        }
        const std::string name = path.lexically_relative(folder).string();
        const auto status = std::filesystem::symlink_status(path);
        if (std::filesystem::is_symlink(status))
            listing.push_back("link " + name + " -> " + std::filesystem::read_symlink(path).string());
        else if (std::filesystem::is_directory(status))
            listing.push_back("folder " + name);
        else
            listing.push_back("file " + name + " = " + ReadWholeFile(path.string()));
    }
    std::sort(listing.begin(), listing.end());
    return listing;
}

void UpdateTest::SetUp()
{
    NetTest::SetUp();
    m_app = std::make_unique<ScriptedApp>();
    m_app->SetResourceFolderName(tCString::FromAnsi(m_resources.Name()));
    // An empty resource file: the string table is read only beside one.
    WriteWholeFile(m_resources.File("system.trf"), "");
    std::filesystem::create_directories(OutsidePath());
    WriteWholeFile(OutsidePath("keep.txt"), "outside file");
    m_manager = std::make_unique<CKSUTransferManager>(&m_controller, tCString::FromAnsi(UpdatePath()));
    m_controller.manager = m_manager.get();
    ASSERT_EQ(m_manager->StartUp(), kResOk);
}

void UpdateTest::TearDown()
{
    m_manager.reset();
    m_app.reset();
    NetTest::TearDown();
}

void UpdateTest::PointAt(const std::string& hostAndPort, const std::string& path)
{
    {
        tCFile file;
        ASSERT_EQ(file.Open(tCFRef(tCString::FromAnsi(m_resources.File("system.tsf"))), tCFile::kAccessWrite), kResOk);
        ASSERT_EQ(tCStringTable::WriteRecord(file, 0xB2D05E00u, 0, u"product", u"Kostrel 2"), kResOk);
        ASSERT_EQ(tCStringTable::WriteRecord(file, CKSUTransferManager::kServerTextId, 0, u"update.server",
                                             tCString::FromAnsi(hostAndPort + "|" + path)),
                  kResOk);
        ASSERT_EQ(file.Close(), kResOk);
    }
    ASSERT_EQ(m_app->StartUp(), kResOk);
}

bool UpdateTest::Drive(const std::function<bool()>& done, int milliseconds)
{
    return DriveUntil([&] { m_manager->Poll(); }, done, milliseconds);
}

bool UpdateTest::RunCheck()
{
    m_controller.Check();
    return Drive([&] { return m_manager->IsIdle(); });
}

void UpdateTest::ExpectOnlyManifestFailure() const
{
    ASSERT_EQ(m_controller.records.size(), 1u);
    EXPECT_EQ(m_controller.records[0].message, kMsgUpdateFailed);
    EXPECT_EQ(m_controller.records[0].value, 0u);
    EXPECT_EQ(m_manager->GetState(), CKSUTransferManager::kStateFailed);
}

std::string UpdateTest::UpdatePath(const std::string& name) const
{
    const std::filesystem::path folder = m_home.Path() / "Update";
    return (name.empty() ? folder : folder / name).string();
}

std::string UpdateTest::OutsidePath(const std::string& name) const
{
    const std::filesystem::path folder = m_home.Path() / "outside";
    return (name.empty() ? folder : folder / name).string();
}

void NginxUpdateTest::SetUpTestSuite()
{
    s_folder = new TempFolder;
    s_nginx = new NginxServer;
    s_started = s_nginx->Start(*s_folder);
}

void NginxUpdateTest::TearDownTestSuite()
{
    delete s_nginx;
    delete s_folder;
    s_nginx = nullptr;
    s_folder = nullptr;
}

void NginxUpdateTest::SetUp()
{
    UpdateTest::SetUp();
    ASSERT_TRUE(s_started);
}

void NginxUpdateTest::Serve(const std::string& path, const std::string& bytes)
{
    const std::filesystem::path file = WebPath(path);
    std::filesystem::create_directories(file.parent_path());
    WriteWholeFile(file.string(), bytes);
}

std::string NginxUpdateTest::WebPath(const std::string& path)
{
    return s_nginx->WebFolder() + "/" + path;
}

void NginxUpdateTest::PointAtServed(const std::string& path)
{
    PointAt(HostAndPort(), "/" + path);
}

std::string NginxUpdateTest::HostAndPort() const
{
    return "127.0.0.1:" + std::to_string(s_nginx->Port());
}
