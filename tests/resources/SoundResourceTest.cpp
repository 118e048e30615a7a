#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "CompiledResources.h"
#include "tests/toolkit/core/WavBuilder.h"
#include "toolkit/core/CResourceDirectory.h"
#include "toolkit/core/CSound.h"
#include "toolkit/core/HeadlessApp.h"

namespace {

std::string SamplesOf(const CSound& sound)
{
    CSoundLock lock(sound);
    return lock.GetData() ? std::string(reinterpret_cast<const char*>(lock.GetData()), lock.GetSize()) : "";
}

int RunTool(const std::string& command)
{
    const int status = std::system((KOSTREL_BIN_DIR "/../tools/" + command + " 2>/dev/null").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Sounds as recording programs save them, compiled by trfc and read back by the sound loader.
class SoundResourceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // An extended format block, a LIST chunk and an odd number of 8-bit samples.
        tWavSpec click = Pcm(1, 11025, 8, "\x80\x90\xA0");
        click.formatExtra = 2;
        click.between = "LIST" + LittleEndian(4, 4) + "INFO";
        WriteWholeFile(assets.File("click.wav"), MakeWav(click) + std::string(1, '\0'));
        tWavSpec chime = Pcm(2, 44100, 16, Samples16({-32768, 32767, 0, -1, 1234, -4321}));
        chime.fact = true;
        WriteWholeFile(assets.File("chime.wav"), MakeWav(chime));
        WriteWholeFile(assets.File("system.trf.src"), "vers 2\n"
                                                      "text 1 \"product\" \"Kostrel\"\n"
                                                      "audi 20 \"click\" \"click.wav\"\n"
                                                      "audi 21 \"chime\" \"chime.wav\"\n");
    }

    TempFolder assets;
    ScriptedApp app;
};

TEST_F(SoundResourceTest, TheCompilersSoundsLoadWithTheirSamples)
{
    const std::string a = assets.File("");
    ASSERT_EQ(RunTool("trfc " + a + "system.trf.src " + a + "system.trf"), 0);
    tCFile file;
    ASSERT_EQ(file.Open(tCFRef(tCString::FromAnsi(a + "system.trf")), tCFile::kAccessRead), kResOk);
    CResourceDirectory directory;
    ASSERT_EQ(directory.Read(&file), kResOk);

    std::unique_ptr<CSound> click(LoadResSound(20, &file, &directory));
    ASSERT_NE(click, nullptr);
    EXPECT_FALSE(click->Is16Bit());
    EXPECT_FALSE(click->IsStereo());
    EXPECT_EQ(click->GetSampleRate(), 11025u);
    EXPECT_EQ(SamplesOf(*click), "\x80\x90\xA0");

    CSound chime;
    ASSERT_EQ(chime.LoadFromResName(tCString(u"chime"), &file, &directory), kResOk);
    EXPECT_EQ(chime.GetId(), 21u);
    EXPECT_TRUE(chime.Is16Bit());
    EXPECT_TRUE(chime.IsStereo());
    EXPECT_EQ(chime.GetSampleRate(), 44100u);
    EXPECT_EQ(SamplesOf(chime), Samples16({-32768, 32767, 0, -1, 1234, -4321}));

    // What trfdump writes back out is a WAV file the loader reads to the same samples.
    std::filesystem::create_directories(assets.Path() / "dump");
    ASSERT_EQ(RunTool("trfdump " + a + "system.trf " + a + "dump/system.src"), 0);
    // The dumped files are named after their chunk: the version and the text come first.
    for (const auto& [chunk, original] : {std::pair{2, &*click}, std::pair{3, &chime}}) {
        const std::string dumped = ReadWholeFile(a + "dump/system.src.files/audi-" + std::to_string(chunk) + ".wav");
        auto stream = StreamOver(dumped);
        CSound again;
        ASSERT_EQ(again.ReadWav(*stream, stream->GetLength()), kResOk) << chunk;
        EXPECT_EQ(SamplesOf(again), SamplesOf(*original)) << chunk;
        EXPECT_EQ(again.GetSampleRate(), original->GetSampleRate()) << chunk;
    }
}

}  // namespace
