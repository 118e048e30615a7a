// seed_writer SEEDS TEST_DATA: writes the fuzz targets' first inputs into SEEDS/<target>, each
// through the writer the program itself uses for that kind of file, so that the fuzzers start
// from files a reader really meets. Images and sounds of the resource file come from TEST_DATA.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/Registry.h"
#include "platform/RegistryStore.h"
#include "resources/compiler/ResourceSource.h"
#include "resources/compiler/StringTableSource.h"
#include "toolkit/core/TaggedChunks.h"
#include "toolkit/core/tCMemFile.h"
#include "toolkit/text/TextWidgets.h"

namespace {

const char kEveryKind[] = R"(vers 2
text 1 "greeting" "Hello|Hi"
txlt 2 "menu" [10:"File" 11:"Edit" 12:"Tools"]
grad 3 "ramp" [#FF303050@0 #80102030@0.25 #FF101020@1]
imag 4 "grey" png "png/pngsuite-grey4.png"
imag 5 "palette" bmp "bmp/imagemagick-4bit.bmp"
imlt 6 "states" exclusivity=1 ["grey" "palette"]
iml8 7 "masks" ["grey"]
audi 8 "click" "wav/mono-8bit-fact.wav"
)";

const char kVersionOne[] = R"(text 1 "one" "first"
txlt 2 "list" ["a" "bb"]
)";

// Every chunk of the text, text-on-image and edit widgets.
const char kTextWidgets[] = R"(vers 2
txlt 2 "states" [10:"Off" 11:"On"]
imag 4 "grey" png "png/pngsuite-grey4.png"
cowg 5 "dot"
  xsiz 2
  ysiz 2
txwg 6 "label"
  font "Helvetica"
  fsiz 14
  fbld 1
  fita 0
  fudl 1
  fjst "centre"
  txwr 1
  txsz 1
  colr #FFE6E6F0
  text "Label text"
  hier ["dot" cowg]
txwg 7 "listed"
  fpsz 9.5
  txls "states"
  txlx 1
tiwg 8 "button"
  imag "grey"
  stim 1
  fsiz 13
  fjst "right"
  fbld 1
  fita 1
  fudl 0
  font "Helvetica Bold"
  fpsz 11
  txsz 1
  txls "states"
  txlx 0
  text "Go"
tewg 9 "field"
  xsiz 120
  ysiz 20
  vsbl 1
  txcl #FF202020
  fsiz 16
  text "Edit me"
)";

const char kStrings[] = R"(0xB2D05E00 "product" "Kostrel 2"
0xB2D05E01 second=7 "choices" "one|two|three"
5 "empty" ""
)";

bool Store(const std::filesystem::path& file, const tCMemFile& bytes)
{
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.GetData()), std::streamsize(bytes.GetSize()));
    return bool(out.flush());
}

bool WriteResourceFile(const std::filesystem::path& file, const char* source, const std::filesystem::path& base)
{
    tCMemFile out;
    std::string error;
    if (CompileResourceSource(source, {base}, out, &error) != kResOk) {
        std::fprintf(stderr, "seed_writer: %s\n", error.c_str());
        return false;
    }
    return Store(file, out);
}

bool WriteStringTable(const std::filesystem::path& file)
{
    tCMemFile out;
    std::string error;
    if (CompileStringTableSource(kStrings, out, &error) != kResOk) {
        std::fprintf(stderr, "seed_writer: %s\n", error.c_str());
        return false;
    }
    return Store(file, out);
}

w32::registry::tValue Text(const std::u16string& text)
{
    w32::registry::tValue value{w32::REG_SZ, {}};
    for (char16_t unit : text + u'\0') {
        value.bytes.push_back(uint8_t(unit));
        value.bytes.push_back(uint8_t(unit >> 8));
    }
    return value;
}

bool WriteSettingsStore(const std::filesystem::path& file)
{
    using w32::registry::tValue;
    w32::registry::CRegistryStore store;
    const std::u16string settings = u"Software\\VeltranaWorks\\Kostrel2\\Settings";
    store.CreateKey('U', settings);
    store.SetValue('U', settings, u"Name", Text(u"Kostrel"));
    store.SetValue('U', settings, u"Width\t%", tValue{w32::REG_DWORD, {0x80, 0x07, 0, 0}});
    store.CreateKey('M', u"Software\\VeltranaWorks\\Kostrel2");
    store.SetValue('M', u"Software\\VeltranaWorks\\Kostrel2", u"", tValue{w32::REG_BINARY, {0, 0xFF, 0x25, 0x0A}});
    std::filesystem::create_directories(file.parent_path());
    return store.Save(file.string());
}

bool WriteTaggedChunks(const std::filesystem::path& file)
{
    const int32_t pair[2] = {-3, 70000};
    const float floats[2] = {0.25f, -1e30f};
    tCMemFile inner;
    bool written = WriteChunkU32(&inner, 0xFF003010, 7) == kResOk &&
                   WriteChunkText(&inner, 0xFF003011, tCString(u"Layer 1")) == kResOk;
    tCMemFile out;
    written = written && WriteChunkI32(&out, 0xFF003001, -42) == kResOk &&
              WriteChunkFloat(&out, 0xFF003002, 0.5f) == kResOk &&
              WriteChunkU64(&out, 0xFF003003, 0x123456789ABCull) == kResOk &&
              WriteChunkI32Pair(&out, 0xFF003004, pair) == kResOk &&
              WriteChunkFloatPair(&out, 0xFF003005, floats) == kResOk &&
              WriteChunkBytes(&out, 0xFF003006, inner.GetData(), inner.GetSize()) == kResOk &&
              WriteChunkBytes(&out, 0xFF003007, "", 0) == kResOk;
    return written && Store(file, out);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: seed_writer SEEDS TEST_DATA\n");
        return 2;
    }
    RegisterTextWidgets();
    const std::filesystem::path seeds = argv[1];
    const std::filesystem::path testData = argv[2];
    const bool written = WriteResourceFile(seeds / "resource_file" / "every-kind.trf", kEveryKind, testData) &&
                         WriteResourceFile(seeds / "resource_file" / "version-one.trf", kVersionOne, testData) &&
                         WriteResourceFile(seeds / "text_widgets" / "layouts.trf", kTextWidgets, testData) &&
                         WriteStringTable(seeds / "string_table" / "choices.tsf") &&
                         WriteSettingsStore(seeds / "settings_store" / "registry") &&
                         WriteTaggedChunks(seeds / "tagged_chunks" / "chunks");
    if (!written)
        std::fprintf(stderr, "seed_writer: the seeds could not be written to %s\n", argv[1]);
    return written ? 0 : 1;
}
