#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "app/shell/CHMRSound.h"
#include "platform/headless/HeadlessSound.h"
#include "resources/CompiledResources.h"
#include "toolkit/core/DiskAudio.h"
#include "toolkit/core/HeadlessApp.h"
#include "toolkit/core/ProgramSubfolder.h"
#include "toolkit/core/WavBuilder.h"

namespace {

// Sound i: three 16-bit mono samples of its own at 1000 frames a second, the rate the tests
// render at, so that they reach the output unchanged.
std::vector<int16_t> SamplesOfSound(int i)
{
    return {int16_t(1000 * (i + 1)), int16_t(-700 * (i + 1)), int16_t(31 * (i + 1))};
}

std::vector<int16_t> Stereo(const std::vector<int16_t>& mono)
{
    std::vector<int16_t> out;
    for (int16_t sample : mono)
        out.insert(out.end(), {sample, sample});
    return out;
}

std::vector<int16_t> Render(uint32_t frames)
{
    std::vector<int16_t> out(frames * 2);
    w32::headless::RenderSound(out.data(), frames, 1000);
    return out;
}

// A resource file made by the resource compiler with the interface sounds whose indexes are
// given, in the application's resource folder.
void WriteSounds(const ProgramSubfolder& resources, const TempFolder& assets, std::vector<int> indexes,
                 const std::string& (*wavOf)(int) = nullptr)
{
    std::string source = "vers 2\n";
    for (int i : indexes) {
        const std::string name = "sound" + std::to_string(i) + ".wav";
        WriteWholeFile(assets.File(name),
                       wavOf ? wavOf(i) : MakeWav(Pcm(1, 1000, 16, Samples16(SamplesOfSound(i)))));
        source += "audi " + std::to_string(CHMRSound::kFirstSoundId + i) + " \"ui" + std::to_string(i) + "\" \"" +
                  name + "\"\n";
    }
    WriteWholeFile(resources.File("system.trf"), CompileResources(source, assets.Path()));
}

class SoundTest : public HeadlessAppTest {
protected:
    void SetUp() override
    {
        HeadlessAppTest::SetUp();
        app = std::make_unique<ScriptedApp>();
        app->SetResourceFolderName(tCString::FromAnsi(resources.Name()));
    }
    void TearDown() override
    {
        sounds.reset();
        app.reset();
        HeadlessAppTest::TearDown();
    }

    void Load(std::vector<int> indexes)
    {
        WriteSounds(resources, assets, std::move(indexes));
        ASSERT_EQ(app->StartUp(), kResOk);
        sounds = std::make_unique<CHMRSound>(&soundsOn);
        ASSERT_EQ(sounds->LoadSounds(), kResOk);
    }

    // Asks for a sound as a pane does; the answer is always 0.
    void Ask(int64_t index, uint32_t message = CHMRSound::kMsgPlaySound)
    {
        const uint64_t bits = uint64_t(index);
        EXPECT_EQ(sounds->OnMessage(message, 0, tMsgArg(bits & 0xFFFFFFFF), tMsgArg(bits >> 32), kMsgApply), kResOk);
    }

    ProgramSubfolder resources;
    TempFolder assets;
    std::unique_ptr<ScriptedApp> app;
    uint32_t soundsOn = 1;
    std::unique_ptr<CHMRSound> sounds;
};

TEST_F(SoundTest, EachIndexPlaysItsResourceAndOthersPlayNothing)
{
    Load({0, 1, 2, 3, 4});
    for (int i = 0; i < CHMRSound::kSoundCount; ++i) {
        Ask(i);
        EXPECT_EQ(Render(3), Stereo(SamplesOfSound(i))) << i;
        EXPECT_EQ(Render(1), (std::vector<int16_t>{0, 0})) << i;
    }
    // Out of range, negative, an index beyond 32 bits, and another message.
    for (int64_t index : {int64_t(5), int64_t(-1), int64_t(1) << 32, int64_t(-4294967296)})
        Ask(index);
    Ask(0, CHMRSound::kMsgPlaySound + 1);
    EXPECT_EQ(Render(3), std::vector<int16_t>(6, 0));
}

TEST_F(SoundTest, TheSwitchIsReadAtEveryRequest)
{
    Load({0, 1, 2, 3, 4});
    soundsOn = 0;
    Ask(0);
    Ask(2);
    EXPECT_EQ(Render(3), std::vector<int16_t>(6, 0));
    soundsOn = 1;
    Ask(2);
    EXPECT_EQ(Render(3), Stereo(SamplesOfSound(2)));

    CHMRSound withoutSwitch(nullptr);
    ASSERT_EQ(withoutSwitch.LoadSounds(), kResOk);
    EXPECT_EQ(withoutSwitch.OnMessage(CHMRSound::kMsgPlaySound, 0, 1, 0, kMsgApply), kResOk);
    EXPECT_EQ(Render(3), std::vector<int16_t>(6, 0));
}

TEST_F(SoundTest, AMissingSoundLeavesOnlyItsIndexSilent)
{
    Load({0, 1, 2, 4});
    for (int i = 0; i < CHMRSound::kSoundCount; ++i) {
        Ask(i);
        EXPECT_EQ(Render(3), i == 3 ? std::vector<int16_t>(6, 0) : Stereo(SamplesOfSound(i))) << i;
    }
    // A second load appends five more: index 5 is the first sound again.
    ASSERT_EQ(sounds->LoadSounds(), kResOk);
    Ask(5);
    EXPECT_EQ(Render(3), Stereo(SamplesOfSound(0)));
    Ask(8);
    EXPECT_EQ(Render(3), std::vector<int16_t>(6, 0));
}

TEST_F(SoundTest, WithoutAnyResourceFileEveryIndexIsSilent)
{
    ASSERT_EQ(app->StartUp(), kResOk);
    CHMRSound silent(&soundsOn);
    ASSERT_EQ(silent.LoadSounds(), kResOk);
    for (int i = 0; i < CHMRSound::kSoundCount; ++i)
        EXPECT_EQ(silent.OnMessage(CHMRSound::kMsgPlaySound, 0, tMsgArg(i), 0, kMsgApply), kResOk);
    EXPECT_EQ(Render(3), std::vector<int16_t>(6, 0));
}

// The real output through SDL's disk driver, without the headless platform.
TEST(SoundOnDisk, AnInterfaceSoundPlaysEndToEnd)
{
    DiskAudioOutput output;
    static const std::string wav = MakeWav(Pcm(2, 44100, 16, Samples16(DiskAudioOutput::Pattern())));
    ProgramSubfolder resources;
    TempFolder assets;
    WriteSounds(resources, assets, {0}, [](int) -> const std::string& { return wav; });
    ScriptedApp app;
    app.SetResourceFolderName(tCString::FromAnsi(resources.Name()));
    ASSERT_EQ(app.StartUp(), kResOk);
    uint32_t soundsOn = 1;
    CHMRSound sounds(&soundsOn);
    ASSERT_EQ(sounds.LoadSounds(), kResOk);
    EXPECT_EQ(sounds.OnMessage(CHMRSound::kMsgPlaySound, 0, 0, 0, kMsgApply), kResOk);
    const std::string played = Samples16(DiskAudioOutput::Pattern());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (ReadWholeFile(output.File()).find(played) == std::string::npos &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_NE(ReadWholeFile(output.File()).find(played), std::string::npos);
}

}  // namespace
