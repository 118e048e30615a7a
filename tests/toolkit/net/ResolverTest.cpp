#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <memory>
#include <string>
#include <vector>

#include "NetTestSupport.h"
#include "platform/Queue.h"
#include "toolkit/core/HeadlessApp.h"
#include "toolkit/core/HostLookupHook.h"
#include "toolkit/net/CResolver.h"
#include "toolkit/net/CTCPSocket.h"

namespace {

struct Completed {
    std::string host;
    uint32_t address = 0;
    tMsgArg context = 0;
    tCBaseObject* owner = nullptr;
};

std::vector<Completed> gCompleted;

tResult Record(const tCString& host, uint32_t address, tMsgArg context, tCBaseObject* owner)
{
    gCompleted.push_back({host.ToAnsi(), address, context, owner});
    return kResBusy;
}

uint32_t Loopback()
{
    return htonl(INADDR_LOOPBACK);
}

bool LookUpMessageWaits()
{
    w32::MSG message;
    return w32::PeekMessageW(&message, nullptr, kMsgHostLookupDone, kMsgHostLookupDone, w32::PM_NOREMOVE) != 0;
}

class ResolverTest : public NetTest {
protected:
    void SetUp() override
    {
        NetTest::SetUp();
        gCompleted.clear();
    }

    tCBaseObject m_owner;
    tCBaseObject m_otherOwner;
    int32_t m_error = 0;
};

TEST_F(ResolverTest, ADottedQuadCompletesBeforeResolveReturns)
{
    EXPECT_EQ(GetResolver().Resolve(u"127.0.0.1", Record, 7, &m_owner, &m_error), kResBusy);
    ASSERT_EQ(gCompleted.size(), 1u);
    EXPECT_EQ(gCompleted[0].host, "127.0.0.1");
    EXPECT_EQ(gCompleted[0].address, Loopback());
    EXPECT_EQ(gCompleted[0].context, 7u);
    EXPECT_EQ(gCompleted[0].owner, &m_owner);
    EXPECT_EQ(GetResolver().GetPendingCount(), 0);
    EXPECT_FALSE(LookUpMessageWaits());
}

TEST_F(ResolverTest, OnlyFourDecimalPartsUpTo255AreADottedQuad)
{
    uint32_t address = 0;
    ASSERT_TRUE(ParseDottedQuad(u"10.0.0.1", &address));
    const auto* bytes = reinterpret_cast<const uint8_t*>(&address);
    EXPECT_EQ(bytes[0], 10);
    EXPECT_EQ(bytes[3], 1);
    // Cut four times at '.', "1.2.3.4.5" would pass with the last part read as 4.
    for (const char16_t* name : {u"1.2.3.4.5", u"1.2.3.256", u"10.0.1", u"localhost", u"1.2.3.-4", u" 1.2.3.4", u""})
        EXPECT_FALSE(ParseDottedQuad(name, &address)) << tCString(name).ToAnsi();
    EXPECT_FALSE(ParseDottedQuad(std::u16string_view(u"1.2.3.4\0x", 9), &address));
}

TEST_F(ResolverTest, ANameIsAnsweredThroughTheMessagePump)
{
    ScriptedApp app;
    ASSERT_EQ(GetResolver().Resolve(u"localhost", Record, 9, &m_owner, &m_error), kResOk);
    EXPECT_EQ(GetResolver().GetPendingCount(), 1);
    EXPECT_TRUE(gCompleted.empty());
    ASSERT_TRUE(WaitFor([] { return LookUpMessageWaits(); }));
    EXPECT_EQ(app.PumpStep(), kResOk);
    ASSERT_EQ(gCompleted.size(), 1u);
    EXPECT_EQ(gCompleted[0].host, "localhost");
    EXPECT_EQ(gCompleted[0].address, Loopback());
    EXPECT_EQ(gCompleted[0].context, 9u);
    EXPECT_EQ(GetResolver().GetPendingCount(), 0);
    EXPECT_EQ(app.dispatched, 1);
}

TEST_F(ResolverTest, AFailedLookUpCallsTheCompletionWithNoAddress)
{
    ASSERT_EQ(GetResolver().Resolve(u"no-such-host..invalid", Record, 0, &m_owner, &m_error), kResOk);
    ASSERT_TRUE(DriveUntil([] {}, [] { return !gCompleted.empty(); }));
    EXPECT_EQ(gCompleted[0].address, 0u);
    EXPECT_EQ(GetResolver().GetPendingCount(), 0);
}

TEST_F(ResolverTest, AMessageOfAnUnknownLookUpIsIgnored)
{
    ASSERT_EQ(GetResolver().Resolve(u"localhost", Record, 0, &m_owner, &m_error), kResOk);
    w32::MSG stray;
    stray.message = kMsgHostLookupDone;
    stray.wParam = 0x7FFF0;
    EXPECT_EQ(CompleteHostLookup(&stray), kResOk);
    EXPECT_TRUE(gCompleted.empty());
    EXPECT_EQ(GetResolver().GetPendingCount(), 1);
    ASSERT_TRUE(DriveUntil([] {}, [] { return GetResolver().GetPendingCount() == 0; }));
    EXPECT_EQ(gCompleted.size(), 1u);
}

TEST_F(ResolverTest, CancelledLookUpsAreRemovedWithoutACall)
{
    ASSERT_EQ(GetResolver().Resolve(u"localhost", Record, 1, &m_owner, &m_error), kResOk);
    ASSERT_EQ(GetResolver().Resolve(u"localhost", Record, 2, &m_otherOwner, &m_error), kResOk);
    GetResolver().CancelForOwner(&m_owner);
    ASSERT_TRUE(DriveUntil([] {}, [] { return GetResolver().GetPendingCount() == 0; }));
    ASSERT_EQ(gCompleted.size(), 1u);
    EXPECT_EQ(gCompleted[0].owner, &m_otherOwner);
}

TEST_F(ResolverTest, ClosingASocketWhileItsLookUpIsPendingCallsNothingLater)
{
    static int calls = 0;
    calls = 0;
    const auto count = [](CTCPSocket*, uint64_t, tMsgArg) -> tResult {
        ++calls;
        return kResOk;
    };
    auto socket = std::make_unique<CTCPSocket>();
    ASSERT_EQ(socket->SetCallbacks(nullptr, nullptr, count, count, count, nullptr, 0), kResOk);
    socket->SetCallback(CTCPSocket::kOnResolved, count, 0);
    ASSERT_EQ(socket->ConnectToHost(u"localhost", 9), kResOk);
    EXPECT_EQ(GetResolver().GetPendingCount(), 1);
    EXPECT_EQ(socket->Close(), kResOk);
    // The socket may even be gone when the answer comes.
    socket.reset();
    ASSERT_TRUE(DriveUntil([] {}, [] { return GetResolver().GetPendingCount() == 0; }));
    EXPECT_EQ(calls, 0);
}

}  // namespace
