#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "UpdateTestSupport.h"
#include "app/shell/update/CKSUHTTPSession.h"
#include "platform/headless/Headless.h"
#include "toolkit/core/tCMemFile.h"

// What the manager tells the controller, and its states, over real connections: a report, a
// refused connection, a refused status, a body cut short, and the pane's check and stop at every
// point of a check.
namespace {

const std::string kTransferManifest = ManifestBytes({"*2.2", "+A note", "|0101%a.txt"});

class ReportTest : public NginxUpdateTest {
protected:
    void SetUp() override
    {
        NginxUpdateTest::SetUp();
        Serve("manifest.txt", kTransferManifest);
        PointAtServed("manifest.txt");
    }
};

TEST_F(ReportTest, AReadManifestIsReportedAndEndsInState4)
{
    ASSERT_TRUE(RunCheck());
    ASSERT_EQ(m_controller.records.size(), 1u);
    EXPECT_EQ(m_controller.records[0].message, kMsgUpdateReport);
    EXPECT_EQ(m_controller.records[0].sender, ToMsgArg(m_manager.get()));
    EXPECT_EQ(m_controller.records[0].texts, (std::vector<std::u16string>{u"2.2", u"A note"}));
    EXPECT_EQ(m_manager->GetState(), CKSUTransferManager::kStateManifestReported);

    // The session's close after the report changes nothing.
    CKSUHTTPSession* session = m_manager->GetCurrentSession();
    ASSERT_TRUE(Drive([&] { return session->GetState() == CTCPSocket::kStateClosed; }));
    EXPECT_EQ(m_controller.records.size(), 1u);
    EXPECT_EQ(m_manager->GetState(), CKSUTransferManager::kStateManifestReported);
}

TEST_F(ReportTest, HidingThePaneAfterTheReportDoesNothing)
{
    ASSERT_TRUE(RunCheck());
    CKSUHTTPSession* session = m_manager->GetCurrentSession();
    EXPECT_EQ(m_controller.Hide(), kResOk);
    EXPECT_EQ(m_manager->GetCurrentSession(), session);
    EXPECT_EQ(m_manager->GetRetiredCount(), 0);
    EXPECT_EQ(m_manager->GetState(), CKSUTransferManager::kStateManifestReported);
}

TEST_F(ReportTest, ACheckAfterAReportStartsAnewAndTheOldSessionGoesAtTheNextPoll)
{
    ASSERT_TRUE(RunCheck());
    CKSUHTTPSession* first = m_manager->GetCurrentSession();
    ASSERT_EQ(m_controller.Check(), kResOk);
    EXPECT_NE(m_manager->GetCurrentSession(), first);
    EXPECT_EQ(m_manager->GetRetiredCount(), 1);
    EXPECT_EQ(m_manager->GetState(), CKSUTransferManager::kStateManifestRequested);
    m_manager->Poll();
    EXPECT_EQ(m_manager->GetRetiredCount(), 0);
    ASSERT_TRUE(Drive([&] { return m_manager->IsIdle(); }));
    EXPECT_EQ(m_controller.Count(kMsgUpdateReport), 2);
}

TEST_F(ReportTest, AStatusOtherThan200FailsTheManifest)
{
    PointAtServed("missing.txt");
    ASSERT_TRUE(RunCheck());
    ExpectOnlyManifestFailure();
}

TEST_F(ReportTest, AReportAnsweredNonZeroLeavesTheCheckRunning)
{
    m_controller.answer = kResCancelled;
    m_controller.Check();
    ASSERT_TRUE(Drive([&] { return !m_controller.records.empty(); }));
    EXPECT_EQ(m_manager->GetState(), CKSUTransferManager::kStateManifestRequested);
    EXPECT_EQ(w32::headless::TakeMessageBoxes().size(), 1u);
}

class ConnectionTest : public UpdateTest {};

TEST_F(ConnectionTest, ARefusedConnectionFailsInState0AndAnotherCheckMayFollow)
{
    PointAt("127.0.0.1:" + std::to_string(UnusedLoopbackPort()), "/manifest.txt");
    ASSERT_TRUE(RunCheck());
    ExpectOnlyManifestFailure();

    ASSERT_TRUE(RunCheck());
    EXPECT_EQ(m_controller.Count(kMsgUpdateFailed), 2);
    EXPECT_EQ(m_controller.Count(kMsgUpdateReport), 0);
}

TEST_F(ConnectionTest, AFailureAnsweredNonZeroLeavesTheStateAsItWas)
{
    m_controller.answer = kResCancelled;
    PointAt("127.0.0.1:" + std::to_string(UnusedLoopbackPort()), "/manifest.txt");
    m_controller.Check();
    ASSERT_TRUE(Drive([&] { return !m_controller.records.empty(); }));
    EXPECT_EQ(m_controller.records[0].message, kMsgUpdateFailed);
    EXPECT_EQ(m_manager->GetState(), CKSUTransferManager::kStateManifestRequested);
}

TEST_F(ConnectionTest, AMissingUpdateFolderIsMadeAtTheCheck)
{
    PointAt("127.0.0.1:" + std::to_string(UnusedLoopbackPort()), "/manifest.txt");
    ASSERT_FALSE(std::filesystem::exists(UpdatePath()));
    ASSERT_TRUE(RunCheck());
    EXPECT_TRUE(std::filesystem::is_directory(UpdatePath()));
}

TEST_F(ConnectionTest, AHostTextThatCannotBeAskedForFailsAtOnce)
{
    PointAt("no host", "/manifest.txt");
    EXPECT_EQ(m_controller.Check(), kResBadParam);
    ExpectOnlyManifestFailure();
}

class RawServerTest : public UpdateTest {
protected:
    void SetUp() override
    {
        UpdateTest::SetUp();
        ASSERT_TRUE(m_server.Start());
    }
    void PointAtRoute(const std::string& route) { PointAt(m_server.HostAndPort().ToAnsi(), route); }

    RawHttpServer m_server;
};

TEST_F(RawServerTest, AManifestCutShortIsAFailureAndNotAReport)
{
    PointAtRoute("/cut/200/10");
    ASSERT_TRUE(RunCheck());
    ExpectOnlyManifestFailure();
}

TEST_F(RawServerTest, ACheckWhileTheManifestIsFetchedStartsNothingAndHidingStopsItQuietly)
{
    PointAtRoute("/silence");
    ASSERT_EQ(m_controller.Check(), kResOk);
    CKSUHTTPSession* session = m_manager->GetCurrentSession();
    ASSERT_TRUE(Drive([&] { return session->GetState() == CTCPSocket::kStateConnected; }));
    EXPECT_FALSE(m_manager->IsIdle());

    ASSERT_EQ(m_controller.Check(), kResOk);
    EXPECT_EQ(m_manager->GetCurrentSession(), session);
    EXPECT_EQ(m_manager->GetRetiredCount(), 0);

    EXPECT_EQ(m_controller.Hide(), kResOk);
    EXPECT_TRUE(m_manager->IsIdle());
    EXPECT_EQ(m_manager->GetCurrentSession(), nullptr);
    for (int i = 0; i < 20; ++i)
        m_manager->Poll();
    EXPECT_TRUE(m_controller.records.empty());
    EXPECT_TRUE(w32::headless::TakeMessageBoxes().empty());

    // Idle again, so the pane's next opening checks again.
    ASSERT_EQ(m_controller.Check(), kResOk);
    EXPECT_FALSE(m_manager->IsIdle());
}

TEST_F(RawServerTest, AManifestWithoutALengthOrChunksIsAFailure)
{
    // Its end could not be told from a connection cut short.
    PointAtRoute("/nolength/100");
    ASSERT_TRUE(RunCheck());
    ExpectOnlyManifestFailure();
}

TEST_F(RawServerTest, AStoppedBodyIsDroppedNotReported)
{
    PointAtRoute("/lengthhold/300");
    ASSERT_EQ(m_controller.Check(), kResOk);
    CKSUHTTPSession* session = m_manager->GetCurrentSession();
    ASSERT_TRUE(Drive([&] { return session->GetBodyMemory().GetSize() == 300; }));
    EXPECT_EQ(m_controller.Hide(), kResOk);
    m_manager->Poll();
    EXPECT_TRUE(m_controller.records.empty());
    EXPECT_TRUE(w32::headless::TakeMessageBoxes().empty());
}

// Reaches the manager's own handling of a body, which a session hands it.
class BodyProbe : public CKSUTransferManager {
public:
    using CKSUTransferManager::CKSUTransferManager;
    using CKSUTransferManager::OnBodyReceived;
};

TEST_F(ConnectionTest, ABodyOutsideATransferOnlyRaisesTheTransferErrorBox)
{
    BodyProbe probe(&m_controller, tCString::FromAnsi(UpdatePath()));
    tCMemFile body;
    ASSERT_EQ(body.WriteBytes("*title", 6), kResOk);
    EXPECT_EQ(probe.OnBodyReceived(body), kResOk);
    const std::vector<w32::headless::tMessageBoxRecord> boxes = w32::headless::TakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u"File received outside valid process");
    EXPECT_EQ(boxes[0].caption, u"Transfer error");
    EXPECT_TRUE(m_controller.records.empty());
    EXPECT_EQ(probe.GetTitle(), u"Unknown Kostrel 2 Version");
}

}  // namespace
