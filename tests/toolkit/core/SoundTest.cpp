#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ErrorBoxRecorder.h"
#include "HeadlessApp.h"
#include "platform/headless/HeadlessSound.h"
#include "tests/platform/ScopedEnvironment.h"
#include "tests/toolkit/core/DiskAudio.h"
#include "tests/toolkit/core/TempFolder.h"
#include "tests/toolkit/core/WavBuilder.h"
#include "toolkit/core/CSound.h"
#include "toolkit/core/CSoundMixer.h"
#include "toolkit/core/ResourceFormat.h"
#include "toolkit/core/tCFRef.h"
#include "toolkit/core/tCFile.h"
#include "toolkit/core/tCMemFile.h"

namespace {

std::unique_ptr<tCMemFile> StreamOf(const std::string& bytes)
{
    auto stream = std::make_unique<tCMemFile>();
    EXPECT_EQ(stream->WriteBytes(bytes.data(), int64_t(bytes.size())), kResOk);
    EXPECT_EQ(stream->Rewind(), kResOk);
    return stream;
}

std::string SamplesOf(const CSound& sound)
{
    CSoundLock lock(sound);
    return lock.GetData() ? std::string(reinterpret_cast<const char*>(lock.GetData()), lock.GetSize()) : "";
}

std::vector<int16_t> Render(uint32_t frames, uint32_t rate)
{
    std::vector<int16_t> out(frames * 2);
    w32::headless::RenderSound(out.data(), frames, rate);
    return out;
}

class SoundTest : public ScriptedAppTest {
protected:
    tResult Read(CSound& sound, const std::string& wav)
    {
        auto stream = StreamOf(wav);
        return sound.ReadWav(*stream, stream->GetLength());
    }
};

TEST_F(SoundTest, LoadsEightAndSixteenBitMonoAndStereoWithAndWithoutFact)
{
    struct Case {
        tWavSpec spec;
        bool sixteen;
        bool stereo;
        uint32_t bytesPerFrame;
    };
    const std::string pcm = "\x10\x20\x30\x40\x50\x60\x70\x80";
    tWavSpec stereo8 = Pcm(2, 22050, 8, pcm);
    stereo8.fact = true;
    tWavSpec mono16 = Pcm(1, 44100, 16, pcm);
    mono16.formatExtra = 2;
    tWavSpec stereo16 = Pcm(2, 8000, 16, pcm);
    stereo16.formatExtra = 24;
    stereo16.fact = true;
    // An old writer's block align of 1 with 0 bits means 8-bit mono.
    tWavSpec noBits = Pcm(1, 11025, 8, pcm);
    noBits.bits = 0;
    const Case cases[] = {
        {Pcm(1, 11025, 8, pcm), false, false, 1},
        {stereo8, false, true, 2},
        {mono16, true, false, 2},
        {stereo16, true, true, 4},
        {noBits, false, false, 1},
    };
    for (const Case& c : cases) {
        CSound sound;
        ASSERT_EQ(Read(sound, MakeWav(c.spec)), kResOk) << c.spec.bits << " bits, " << c.spec.channels;
        EXPECT_EQ(sound.Is16Bit(), c.sixteen);
        EXPECT_EQ(sound.IsStereo(), c.stereo);
        EXPECT_EQ(sound.GetSampleRate(), c.spec.rate);
        EXPECT_EQ(sound.GetBytesPerFrame(), c.bytesPerFrame);
        EXPECT_EQ(sound.GetLength(), 8u);
        EXPECT_EQ(SamplesOf(sound), pcm);
    }

    // Samples that do not fill a last frame are left out.
    CSound odd;
    ASSERT_EQ(Read(odd, MakeWav(Pcm(2, 22050, 16, "123456789"))), kResOk);
    EXPECT_EQ(odd.GetLength(), 8u);
    EXPECT_EQ(SamplesOf(odd), "12345678");
}

TEST_F(SoundTest, AFileThatIsNotRiffAnswersTenAndStaysWhereItWas)
{
    const std::string wav = MakeWav(Pcm(1, 22050, 8, "abcd"));
    auto stream = StreamOf("xx" + std::string("RIFX") + wav.substr(4));
    ASSERT_EQ(stream->SetPosition(2), kResOk);
    CSound sound;
    EXPECT_EQ(sound.ReadWav(*stream, stream->GetLength()), kResNotImplemented);
    EXPECT_EQ(stream->GetPosition(), 2);
    EXPECT_EQ(Read(sound, wav.substr(0, 19)), kResFileInvalid) << "fewer than 20 bytes";
}

TEST_F(SoundTest, MalformedHeadersAnswerSeventeen)
{
    const tWavSpec good = Pcm(2, 22050, 16, "12345678");
    ASSERT_EQ([&] { CSound s; return Read(s, MakeWav(good)); }(), kResOk);
    struct Case {
        const char* fault;
        tWavSpec spec;
    };
    auto with = [&](auto change) {
        tWavSpec spec = good;
        change(spec);
        return spec;
    };
    const Case cases[] = {
        {"format block of 14 bytes", with([](tWavSpec& s) { s.formatExtra = -2; })},
        {"24 bits", with([](tWavSpec& s) { s.bits = 24, s.align = 6; })},
        {"float samples", with([](tWavSpec& s) { s.tag = 3; })},
        {"extensible format", with([](tWavSpec& s) { s.tag = 0xFFFE; })},
        {"six channels", with([](tWavSpec& s) { s.channels = 6, s.align = 12; })},
        {"no channel", with([](tWavSpec& s) { s.channels = 0, s.align = 0; })},
        {"rate 0", with([](tWavSpec& s) { s.rate = 0; })},
        {"block align off", with([](tWavSpec& s) { s.align = 2; })},
        {"block align 0", with([](tWavSpec& s) { s.align = 0; })},
        {"LIST before the data", with([](tWavSpec& s) { s.between = "LIST" + LittleEndian(4, 4) + "INFO"; })},
    };
    for (const Case& c : cases) {
        CSound sound;
        EXPECT_EQ(Read(sound, MakeWav(c.spec)), kResFileInvalid) << c.fault;
        EXPECT_EQ(sound.GetBuffer(), nullptr) << c.fault;
    }

    std::string wav = MakeWav(good);
    const std::string riffTooLong = wav.substr(0, 4) + LittleEndian(wav.size() - 3, 4) + wav.substr(8);
    CSound sound;
    EXPECT_EQ(Read(sound, riffTooLong), kResFileInvalid);
    std::string dataTooLong = wav;
    dataTooLong.replace(dataTooLong.size() - 12, 4, LittleEndian(9, 4));
    EXPECT_EQ(Read(sound, dataTooLong), kResFileInvalid);
    std::string factTooLong = MakeWav(with([](tWavSpec& s) { s.fact = true; }));
    factTooLong.replace(40, 4, LittleEndian(1000, 4));
    EXPECT_EQ(Read(sound, factTooLong), kResFileInvalid);
}

TEST_F(SoundTest, TruncatedAndCorruptedFilesAnswerACode)
{
    tWavSpec spec = Pcm(2, 22050, 16, "12345678");
    spec.fact = true;
    const std::string wav = MakeWav(spec);
    for (size_t length = 0; length < wav.size(); ++length) {
        CSound sound;
        const tResult result = Read(sound, wav.substr(0, length));
        EXPECT_TRUE(result == kResFileInvalid || result == kResNotImplemented) << length << ": " << result;
    }
    // Every byte of the header changed in turn, to values that upset sizes and tags alike.
    for (size_t at = 0; at < wav.size() - 8; ++at) {
        for (const char value : {'\0', '\x7F', '\xFF'}) {
            std::string broken = wav;
            broken[at] = value;
            CSound sound;
            const tResult result = Read(sound, broken);
            if (result == kResOk) {
                EXPECT_LE(sound.GetLength(), 8u) << at;
            }
        }
    }
}

TEST_F(SoundTest, TheMixerPlaysTwoSoundsTogetherAndASecondPlayDoesNotRestart)
{
    CSound ramp;
    ASSERT_EQ(Read(ramp, MakeWav(Pcm(1, 1000, 16, Samples16({1000, 2000, 3000, 4000, 5000})))), kResOk);
    CSound stereo;
    ASSERT_EQ(Read(stereo, MakeWav(Pcm(2, 1000, 8, "\x90\x70\x90\x70"))), kResOk);
    EXPECT_EQ(ramp.Play(0), 0);
    EXPECT_EQ(Render(2, 1000), (std::vector<int16_t>{1000, 1000, 2000, 2000}));
    EXPECT_EQ(ramp.Play(0), 0);
    EXPECT_EQ(stereo.Play(0), 0);
    // 0x90 and 0x70 are 16 above and below the 8-bit middle: ±16 × 256 on the 16-bit scale.
    EXPECT_EQ(Render(3, 1000), (std::vector<int16_t>{3000 + 4096, 3000 - 4096, 4000 + 4096, 4000 - 4096, 5000, 5000}));
    EXPECT_EQ(Render(1, 1000), (std::vector<int16_t>{0, 0}));

    // A sound that is stopped, or destroyed while playing, is heard no more.
    EXPECT_EQ(ramp.Play(0), 0);
    ApplicationSoundMixer()->StopSound(&ramp);
    w32::DWORD status = 1;
    ASSERT_EQ(ramp.GetBuffer()->GetStatus(&status), w32::DS_OK);
    EXPECT_EQ(status, 0u);
    auto playing = std::make_unique<CSound>();
    ASSERT_EQ(Read(*playing, MakeWav(Pcm(1, 1000, 16, Samples16({7, 7})))), kResOk);
    EXPECT_EQ(playing->Play(0), 0);
    playing.reset();
    EXPECT_EQ(Render(2, 1000), (std::vector<int16_t>{0, 0, 0, 0}));
}

TEST_F(SoundTest, EmptySoundsHaveNoBufferAndPlayNothing)
{
    CSound formatted;
    ASSERT_EQ(formatted.SetFormat(16, 1, 22000, 0), kResOk);
    EXPECT_EQ(formatted.GetBuffer(), nullptr);
    EXPECT_EQ(formatted.GetBytesPerFrame(), 4u);
    EXPECT_EQ(formatted.Play(0), 0);

    CSound empty;
    ASSERT_EQ(Read(empty, MakeWav(Pcm(1, 22050, 8, ""))), kResOk);
    EXPECT_EQ(empty.GetLength(), 0u);
    EXPECT_EQ(empty.GetBuffer(), nullptr);

    CSound sized;
    ASSERT_EQ(sized.SetFormat(8, 0, 22000, 10), kResOk);
    EXPECT_EQ(SamplesOf(sized), std::string(10, '\x80')) << "a new buffer holds silence";
    EXPECT_EQ(sized.SetFormat(16, 1, 22000, 0x40000000), kResBadParam) << "4 GiB of samples";
}

TEST_F(SoundTest, SerialsCountEveryConstructedSound)
{
    CSound first;
    CSound second;
    EXPECT_EQ(second.GetSerial(), first.GetSerial() + 1);
    EXPECT_EQ(second.GetType(), CSound::kType);
}

TEST_F(SoundTest, ResourcesAreFoundByIdAndByNameAndMustHoldTheirWav)
{
    const std::string wav = MakeWav(Pcm(1, 8000, 16, Samples16({-5, 5, -7})));
    tCMemFile file;
    auto addSound = [&](uint32_t id, const char16_t* name, const std::string& body) {
        tCMemFile payload;
        ASSERT_EQ(WriteResourcePreamble(payload, id, tCString(name)), kResOk);
        ASSERT_EQ(payload.WriteBytes(body.data(), int64_t(body.size())), kResOk);
        ASSERT_EQ(WriteResourceChunk(file, CSound::kType, payload.GetData(), payload.GetSize()), kResOk);
    };
    addSound(5, u"click", LittleEndian(wav.size(), 4) + wav);
    addSound(6, u"long size", LittleEndian(wav.size() + 1, 4) + wav);
    addSound(7, u"negative size", LittleEndian(0xFFFFFFF0u, 4) + wav);
    addSound(8, u"no size", "");
    // Resource names are text lines, which only a file stream reads.
    TempFolder folder;
    WriteWholeFile(folder.File("sounds.trf"),
                   std::string(reinterpret_cast<const char*>(file.GetData()), size_t(file.GetSize())));
    tCFile stored;
    ASSERT_EQ(stored.Open(tCFRef(tCString::FromAnsi(folder.File("sounds.trf"))), tCFile::kAccessRead), kResOk);

    CSound byId;
    ASSERT_EQ(byId.LoadFromResId(5, &stored, nullptr), kResOk);
    EXPECT_EQ(byId.GetName(), tCString(u"click"));
    EXPECT_EQ(SamplesOf(byId), Samples16({-5, 5, -7}));
    CSound byName;
    ASSERT_EQ(byName.LoadFromResName(tCString(u"click"), &stored, nullptr), kResOk);
    EXPECT_EQ(byName.GetId(), 5u);

    CSound bad;
    EXPECT_EQ(bad.LoadFromResId(6, &stored, nullptr), kResFileInvalid);
    EXPECT_EQ(bad.LoadFromResId(7, &stored, nullptr), kResFileInvalid);
    EXPECT_EQ(bad.LoadFromResId(9, &stored, nullptr), kResResourceNotFound);
    EXPECT_TRUE(w32::headless::TakeMessageBoxes().empty());
    EXPECT_NE(bad.LoadFromResId(8, &stored, nullptr), kResOk);
    const auto boxes = w32::headless::TakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find(u"Sound load size failed."), std::u16string::npos);

    std::unique_ptr<CSound> loaded(LoadResSound(5, &stored, nullptr));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->GetLength(), 6u);
    EXPECT_EQ(LoadResSound(6, &stored, nullptr), nullptr);
}

TEST_F(SoundTest, WithoutAnApplicationNothingLoadsOrPlays)
{
    tCMemFile file;
    CSound sound;
    app.reset();
    EXPECT_EQ(sound.Play(0), -1);
    EXPECT_EQ(sound.LoadFromResId(1, &file, nullptr), kResFailure);
    EXPECT_EQ(LoadResSound(1, &file, nullptr), nullptr);
    EXPECT_EQ(Read(sound, MakeWav(Pcm(1, 22050, 8, "abc"))), kResCreateFailed) << "no device for the buffer";
}

// An application with the real SDL output under a chosen driver, without the headless platform.
class SoundOnSdl : public ::testing::Test {
protected:
    ScopedEnvironment m_environment;
};

TEST_F(SoundOnSdl, TheDiskDriverWritesTheSamplesOfAPlayedSound)
{
    DiskAudioOutput output;
    const std::vector<int16_t> pattern = DiskAudioOutput::Pattern();
    {
        ScriptedApp app;
        CSound sound;
        auto stream = StreamOf(MakeWav(Pcm(2, 44100, 16, Samples16(pattern))));
        ASSERT_EQ(sound.ReadWav(*stream, stream->GetLength()), kResOk);
        ASSERT_EQ(sound.Play(0), 0);
        w32::DWORD status = w32::DSBSTATUS_PLAYING;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (status == w32::DSBSTATUS_PLAYING && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            ASSERT_EQ(sound.GetBuffer()->GetStatus(&status), w32::DS_OK);
        }
        EXPECT_EQ(status, 0u) << "the sound played out";
    }
    // The output closed with the application's mixer and the sound, and its file is complete.
    const std::string written = ReadWholeFile(output.File());
    EXPECT_NE(written.find(Samples16(pattern)), std::string::npos) << written.size() << " bytes written";
}

TEST_F(SoundOnSdl, WithoutADriverSoundsLoadAndPlayNothingWithoutABox)
{
    m_environment.Set("SDL_AUDIODRIVER", "no-such-driver");
    ScriptedApp app;
    ErrorBoxRecorder boxes;
    CSound sound;
    auto stream = StreamOf(MakeWav(Pcm(1, 22050, 8, "\x80\x90")));
    ASSERT_EQ(sound.ReadWav(*stream, stream->GetLength()), kResOk);
    EXPECT_EQ(sound.Play(0), -1);
    EXPECT_EQ(sound.Play(0), -1);
    w32::DWORD status = 1;
    ASSERT_EQ(sound.GetBuffer()->GetStatus(&status), w32::DS_OK);
    EXPECT_EQ(status, 0u);
    EXPECT_EQ(boxes.count, 0);
}

}  // namespace
