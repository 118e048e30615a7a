#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/Sound.h"
#include "platform/headless/HeadlessSound.h"
#include "tests/platform/HeadlessFixture.h"

// Kept in a namespace of its own, so that its using-directives reach no other file.
namespace SoundTests {

using namespace w32;

namespace {

std::vector<uint8_t> Pcm16(const std::vector<int16_t>& samples)
{
    std::vector<uint8_t> bytes;
    for (int16_t s : samples) {
        bytes.push_back(uint8_t(uint16_t(s) & 0xFF));
        bytes.push_back(uint8_t(uint16_t(s) >> 8));
    }
    return bytes;
}

tPcmVoice Voice(std::vector<uint8_t> samples, uint16_t channels, uint16_t bits, uint32_t rate)
{
    tPcmVoice voice;
    voice.frames = uint32_t(samples.size() / (channels * bits / 8));
    voice.samples = std::move(samples);
    voice.channels = channels;
    voice.bits = bits;
    voice.rate = rate;
    voice.playing = true;
    return voice;
}

std::vector<int16_t> Mix(std::vector<tPcmVoice*> voices, uint32_t frames, uint32_t rate)
{
    std::vector<int16_t> out(frames * 2, 12345);
    std::vector<int32_t> scratch;
    MixVoices(voices.data(), voices.size(), out.data(), frames, rate, scratch);
    return out;
}

// A buffer's description with the format it points to.
struct tBufferRequest {
    tBufferRequest(uint16_t channels, uint16_t bits, uint32_t rate, DWORD bytes)
    {
        format.wFormatTag = WAVE_FORMAT_PCM;
        format.nChannels = channels;
        format.nSamplesPerSec = rate;
        format.wBitsPerSample = bits;
        format.nBlockAlign = WORD(channels * bits / 8);
        description.dwSize = sizeof(description);
        description.dwFlags = DSBCAPS_STATIC;
        description.dwBufferBytes = bytes;
        description.lpwfxFormat = &format;
    }
    tBufferRequest(const tBufferRequest&) = delete;
    tBufferRequest& operator=(const tBufferRequest&) = delete;

    WAVEFORMATEX format;
    DSBUFFERDESC description;
};

// Copies the bytes into the whole buffer.
void Fill(IDirectSoundBuffer* buffer, const void* bytes, size_t size)
{
    void* data = nullptr;
    DWORD locked = 0;
    ASSERT_EQ(buffer->Lock(0, 0, &data, &locked, nullptr, nullptr, DSBLOCK_ENTIREBUFFER), DS_OK);
    ASSERT_EQ(locked, size);
    std::memcpy(data, bytes, size);
    ASSERT_EQ(buffer->Unlock(data, locked, nullptr, 0), DS_OK);
}

TEST(SoundMixing, TwoVoicesAddUpAndClampAtTheSixteenBitRange)
{
    // 16-bit mono and 8-bit stereo (unsigned around 128, scaled by 256) at the output's rate.
    tPcmVoice mono = Voice(Pcm16({1000, 2000, 30000, -30000}), 1, 16, 8000);
    tPcmVoice stereo = Voice({128 + 10, 128 - 10, 255, 0, 128, 128}, 2, 8, 8000);
    const std::vector<int16_t> out = Mix({&mono, &stereo}, 5, 8000);
    const std::vector<int16_t> expected = {
        1000 + 2560, 1000 - 2560,
        32767, 2000 - 32768,  // 2000 + 32512 clamps
        30000, 30000,
        -30000, -30000,  // only the mono voice is left
        0, 0,
    };
    EXPECT_EQ(out, expected);
    EXPECT_FALSE(mono.playing);
    EXPECT_EQ(mono.position, 0u) << "a voice that played out stands at its start";
    EXPECT_FALSE(stereo.playing);
}

TEST(SoundMixing, SlowerVoicesAreInterpolatedAndLockedOrStoppedOnesAreSilent)
{
    tPcmVoice half = Voice(Pcm16({0, 1000, -1000}), 1, 16, 4000);
    std::vector<int16_t> out = Mix({&half}, 7, 8000);
    const std::vector<int16_t> expected = {0, 0, 500, 500, 1000, 1000, 0, 0, -1000, -1000, -1000, -1000, 0, 0};
    EXPECT_EQ(out, expected);

    tPcmVoice locked = Voice(Pcm16({5000}), 1, 16, 8000);
    locked.locked = true;
    tPcmVoice stopped = Voice(Pcm16({5000}), 1, 16, 8000);
    stopped.playing = false;
    out = Mix({&locked, &stopped}, 1, 8000);
    EXPECT_EQ(out, (std::vector<int16_t>{0, 0}));
    EXPECT_TRUE(locked.playing);
    EXPECT_EQ(locked.position, 0u);
}

class DirectSoundTest : public HeadlessTest {
protected:
    void SetUp() override
    {
        HeadlessTest::SetUp();
        ASSERT_EQ(DirectSoundCreate(nullptr, &m_device, nullptr), DS_OK);
    }
    void TearDown() override
    {
        if (m_device)
            m_device->Release();
        HeadlessTest::TearDown();
    }

    IDirectSoundBuffer* MakeBuffer(uint16_t channels, uint16_t bits, uint32_t rate, const std::vector<uint8_t>& bytes)
    {
        tBufferRequest request(channels, bits, rate, DWORD(bytes.size()));
        IDirectSoundBuffer* buffer = nullptr;
        EXPECT_EQ(m_device->CreateSoundBuffer(&request.description, &buffer, nullptr), DS_OK);
        if (buffer)
            Fill(buffer, bytes.data(), bytes.size());
        return buffer;
    }

    static std::vector<int16_t> Render(uint32_t frames, uint32_t rate)
    {
        std::vector<int16_t> out(frames * 2);
        headless::RenderSound(out.data(), frames, rate);
        return out;
    }

    static DWORD Status(IDirectSoundBuffer* buffer)
    {
        DWORD status = 0xFF;
        EXPECT_EQ(buffer->GetStatus(&status), DS_OK);
        return status;
    }

    IDirectSound* m_device = nullptr;
};

TEST_F(DirectSoundTest, BuffersPlayOnceAndAPlayWhilePlayingDoesNotRewind)
{
    IDirectSoundBuffer* ramp = MakeBuffer(1, 16, 1000, Pcm16({100, 200, 300, 400, 500, 600}));
    IDirectSoundBuffer* beep = MakeBuffer(2, 8, 1000, {128 + 1, 128 - 1, 128 + 2, 128 - 2});
    ASSERT_TRUE(ramp && beep);
    EXPECT_EQ(Render(1, 1000), (std::vector<int16_t>{0, 0})) << "nothing plays before Play";
    EXPECT_EQ(Status(ramp), 0u);

    ASSERT_EQ(ramp->Play(0, 0, 0), DS_OK);
    EXPECT_EQ(Status(ramp), DSBSTATUS_PLAYING);
    EXPECT_EQ(Render(2, 1000), (std::vector<int16_t>{100, 100, 200, 200}));
    ASSERT_EQ(ramp->Play(0, 0, 0), DS_OK);
    ASSERT_EQ(beep->Play(0, 0, 0), DS_OK);
    EXPECT_EQ(Render(2, 1000), (std::vector<int16_t>{300 + 256, 300 - 256, 400 + 512, 400 - 512}));

    ASSERT_EQ(ramp->Stop(), DS_OK);
    EXPECT_EQ(Status(ramp), 0u);
    EXPECT_EQ(Render(1, 1000), (std::vector<int16_t>{0, 0})) << "the beep has played out";
    EXPECT_EQ(Status(beep), 0u);
    ASSERT_EQ(ramp->Play(0, 0, 0), DS_OK);
    EXPECT_EQ(Render(3, 1000), (std::vector<int16_t>{500, 500, 600, 600, 0, 0})) << "a stopped buffer goes on";
    EXPECT_EQ(Status(ramp), 0u);
    ASSERT_EQ(ramp->Play(0, 0, 0), DS_OK);
    EXPECT_EQ(Render(1, 1000), (std::vector<int16_t>{100, 100})) << "a played-out buffer starts again";

    EXPECT_EQ(beep->Release(), 0u);
    EXPECT_EQ(ramp->Release(), 0u);
}

TEST_F(DirectSoundTest, OnlyPlainPcmBuffersAreMade)
{
    tBufferRequest request(2, 16, 22050, 400);
    WAVEFORMATEX& format = request.format;
    DSBUFFERDESC& description = request.description;
    IDirectSoundBuffer* buffer = reinterpret_cast<IDirectSoundBuffer*>(1);

    auto refused = [&](auto change) {
        WAVEFORMATEX saved = format;
        DSBUFFERDESC savedDescription = description;
        change();
        const bool answer = m_device->CreateSoundBuffer(&description, &buffer, nullptr) == DSERR_INVALIDPARAM &&
                            buffer == nullptr;
        format = saved;
        description = savedDescription;
        return answer;
    };
    EXPECT_TRUE(refused([&] { format.wBitsPerSample = 24, format.nBlockAlign = 6; }));
    EXPECT_TRUE(refused([&] { format.nChannels = 6, format.nBlockAlign = 12; }));
    EXPECT_TRUE(refused([&] { format.wFormatTag = 3; }));
    EXPECT_TRUE(refused([&] { format.nSamplesPerSec = 0; }));
    EXPECT_TRUE(refused([&] { format.nBlockAlign = 2; }));
    EXPECT_TRUE(refused([&] { description.dwBufferBytes = 402; }));
    EXPECT_TRUE(refused([&] { description.dwBufferBytes = 0; }));

    ASSERT_EQ(m_device->CreateSoundBuffer(&description, &buffer, nullptr), DS_OK);
    void* data = nullptr;
    DWORD size = 0;
    EXPECT_EQ(buffer->Lock(0, 0, &data, &size, nullptr, nullptr, DSBLOCK_ENTIREBUFFER), DS_OK);
    EXPECT_EQ(buffer->Lock(0, 0, &data, &size, nullptr, nullptr, DSBLOCK_ENTIREBUFFER), DSERR_INVALIDCALL);
    EXPECT_EQ(buffer->Unlock(data, size, nullptr, 0), DS_OK);
    EXPECT_EQ(buffer->Lock(396, 8, &data, &size, nullptr, nullptr, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->Play(0, 0, 1), DSERR_INVALIDPARAM) << "only a single play is offered";
    buffer->Release();
}

}  // namespace

}  // namespace SoundTests
