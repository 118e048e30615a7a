#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/headless/Headless.h"
#include "resources/CompiledResources.h"
#include "toolkit/core/HeadlessApp.h"
#include "toolkit/core/ProgramSubfolder.h"
#include "toolkit/core/TextLibraryHooks.h"
#include "toolkit/text/TextLibrary.h"
#include "toolkit/text/tCFont.h"

// The fonts the build cuts for the resource file, and the files of the installed DejaVu faces.
inline std::string BuiltFont(const std::string& face)
{
    return (std::filesystem::path(KOSTREL_BIN_DIR) / ".." / "fonts" / (face + ".ttf")).string();
}

inline std::string InstalledFont(const std::string& face)
{
    return "/usr/share/fonts/truetype/dejavu/" + face + ".ttf";
}

// The resource file the program ships.
inline std::string ShippedResourceBytes()
{
    return ReadWholeFile(std::string(KOSTREL_BIN_DIR) + "/Resources/system.trf");
}

// An application with the text library started, whose resource file a test gives, on the
// headless platform; error boxes are taken from the platform's record.
class FontAppTest : public HeadlessAppTest {
protected:
    void StartWith(const std::string& resourceFile)
    {
        WriteWholeFile(m_folder.File("system.trf"), resourceFile);
        InstallTextLibraryHooks();
        m_app = std::make_unique<ScriptedApp>();
        m_app->SetResourceFolderName(tCString::FromAnsi(m_folder.Name()));
        ASSERT_EQ(m_app->StartUp(), kResOk);
    }

    void TearDown() override
    {
        m_app.reset();
        SetTextLibraryHooks({});
        HeadlessAppTest::TearDown();
    }

    tCFont* Find(const char16_t* name)
    {
        tCFont* font = nullptr;
        EXPECT_EQ(tCFont::FindFont(tCString(name), &font), kResOk) << std::string(tCString(name).ToAnsi());
        return font;
    }

    // The texts of the error boxes shown since the last call.
    std::vector<std::string> Boxes()
    {
        std::vector<std::string> texts;
        for (const auto& box : w32::headless::TakeMessageBoxes())
            texts.push_back(tCString(std::u16string_view(box.text)).ToAnsi());
        return texts;
    }

    ProgramSubfolder m_folder;
    std::unique_ptr<ScriptedApp> m_app;
};

// A face of a font file opened by the test itself, for FreeType's own figures.
class ReferenceFace {
public:
    explicit ReferenceFace(const std::string& file)
    {
        EXPECT_EQ(FT_Init_FreeType(&m_library), 0);
        EXPECT_EQ(FT_New_Face(m_library, file.c_str(), 0, &m_face), 0) << file;
    }
    ~ReferenceFace()
    {
        if (m_face)
            FT_Done_Face(m_face);
        FT_Done_FreeType(m_library);
    }
    ReferenceFace(const ReferenceFace&) = delete;
    ReferenceFace& operator=(const ReferenceFace&) = delete;

    FT_Face operator->() const { return m_face; }
    FT_Face Get() const { return m_face; }

private:
    FT_Library m_library = nullptr;
    FT_Face m_face = nullptr;
};
