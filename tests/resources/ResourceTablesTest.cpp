#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "CompiledResources.h"
#include "ResourceUseCheck.h"
#include "ShippedResources.h"
#include "resources/compiler/SourceText.h"
#include "toolkit/core/CSound.h"
#include "toolkit/core/tCMemFile.h"
#include "toolkit/imaging/CImageBase.h"
#include "toolkit/text/TextWidgets.h"
#include "WidgetSourceBytes.h"

namespace {

// True when the source line defines what `use` asks for: string-table lines begin with the id,
// resource lines (and child widgets' lines after their "+") give the id after the type and the
// name after that.
bool Defines(const std::string& line, const tResourceUse& use)
{
    std::vector<tToken> tokens;
    std::string ignored;
    if (TokenizeLine(line, &tokens, &ignored) != kResOk)
        return false;
    // A child widget's line starts with "+".
    if (!tokens.empty() && tokens[0].word == "+")
        tokens.erase(tokens.begin());
    if (tokens.size() < 3)
        return false;
    uint32_t id = 0;
    if (use.type == kStringTableText)
        return ParseU32(tokens[0].word, &id) && id == use.id;
    if (use.name)
        return tCString(std::u16string_view(tokens[2].text)).ToAnsi() == use.name;
    return ParseU32(tokens[1].word, &id) && id == use.id;
}

size_t Indent(const std::string& line)
{
    const size_t first = line.find_first_not_of(' ');
    return first == std::string::npos ? line.size() : first;
}

// A copy of the source without the lines that define `use`, each with the lines indented below
// it (a widget's chunks and children); `removed` counts the definitions.
std::string WithoutEntry(const std::string& source, const tResourceUse& use, int* removed)
{
    std::string kept;
    *removed = 0;
    size_t skipBelow = std::string::npos;
    for (const std::string& line : SplitLines(source)) {
        if (skipBelow != std::string::npos && Indent(line) > skipBelow && Indent(line) < line.size())
            continue;
        skipBelow = std::string::npos;
        if (Defines(line, use)) {
            ++*removed;
            skipBelow = Indent(line);
        } else {
            kept += line + "\n";
        }
    }
    return kept;
}

// The compiled bytes of a resource source, or of a string-table source for texts. A source that
// does not compile gives nullopt: the build stops there, which fails as surely as the check.
std::optional<std::string> Compile(const std::string& source, bool text)
{
    tCMemFile compiled;
    std::string error;
    const tResult result =
        text ? CompileStringTableSource(source, compiled, &error)
             : CompileResourceSource(source, {KOSTREL_RESOURCE_SOURCE, KOSTREL_RESOURCE_WORK, KOSTREL_RESOURCE_FONTS},
                                     compiled, &error);
    if (result != kResOk)
        return std::nullopt;
    return StreamBytes(compiled);
}

// What the check reports for one entry against compiled bytes of its kind of source.
std::vector<std::string> CheckAgainstCompiled(const tResourceUse& use, const std::string& bytes)
{
    auto file = StreamOver(bytes);
    CResourceDirectory directory;
    tCStringTable table;
    EXPECT_EQ(use.type == kStringTableText ? table.LoadStringTable(file.get()) : directory.Read(file.get()), kResOk);
    return FindMissingResources({&use, 1}, *file, directory, table);
}

std::string What(const tResourceUse& use)
{
    return use.name ? use.name : std::to_string(use.id);
}

TEST(ResourceTables, TheShippedFilesHoldEveryResourceTheCodeLoads)
{
    ShippedResources shipped;
    for (const std::span<const tResourceUse> table : AllResourceTables())
        EXPECT_EQ(Lines(FindMissingResources(table, shipped.file, shipped.directory, shipped.table)), "");
}

TEST(ResourceTables, AnEntryRemovedFromACopyOfTheSourcesFailsTheCheck)
{
    // The layouts hold text widgets, whose chunks the compiler knows once they are registered.
    RegisterTextWidgets();
    const std::string resources = ReadWholeFile(KOSTREL_RESOURCE_SOURCE "/system.trf.src");
    const std::string strings = ReadWholeFile(KOSTREL_RESOURCE_SOURCE "/system.tsf.src");
    const auto wholeResources = Compile(resources, false), wholeStrings = Compile(strings, true);
    ASSERT_TRUE(wholeResources && wholeStrings) << "the sources do not compile";
    for (const std::span<const tResourceUse> table : AllResourceTables())
        for (const tResourceUse& use : table) {
            const bool text = use.type == kStringTableText;
            EXPECT_TRUE(CheckAgainstCompiled(use, text ? *wholeStrings : *wholeResources).empty()) << What(use);
            int removed = 0;
            const std::string reduced = WithoutEntry(text ? strings : resources, use, &removed);
            ASSERT_GE(removed, 1) << "no source line defines " << What(use);
            const auto compiled = Compile(reduced, text);
            if (!compiled)
                continue;
            const std::vector<std::string> missing = CheckAgainstCompiled(use, *compiled);
            ASSERT_EQ(missing.size(), 1u) << What(use);
            EXPECT_NE(missing[0].find("is missing"), std::string::npos) << missing[0];
        }
}

TEST(ResourceTables, AResourceOfAnotherTypeFailsTheCheck)
{
    ShippedResources shipped;
    const tResourceUse soundAsImage[] = {{CImageBase::kType, 90000}};
    EXPECT_EQ(Lines(FindMissingResources(soundAsImage, shipped.file, shipped.directory, shipped.table)),
              "'imag' 90000 (0x15F90) is a 'audi'\n");
    const tResourceUse pastTheEnd[] = {{CSound::kType, 90003, 3}, {kStringTableText, 110030, 3}};
    EXPECT_EQ(Lines(FindMissingResources(pastTheEnd, shipped.file, shipped.directory, shipped.table)),
              "'audi' 90005 (0x15F95) is missing\nstring-table text 110032 (0x1ADD0) is missing\n");
}

TEST(ResourceTables, EveryResourceIdIsUsedOnce)
{
    ShippedResources shipped;
    for (int32_t i = 0; i < shipped.directory.GetCount(); ++i) {
        const tResourceEntry& entry = shipped.directory.GetEntry(i);
        EXPECT_EQ(shipped.directory.FindResourceById(entry.id), entry.position) << "id " << entry.id << " is used twice";
    }
}

}  // namespace
