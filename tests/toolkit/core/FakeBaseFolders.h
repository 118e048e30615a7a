#pragma once

#include <string>

#include "toolkit/core/IBaseFolders.h"

// Stands in for the application's two base folders while it lives.
class FakeBaseFolders : public IBaseFolders {
public:
    explicit FakeBaseFolders(const std::u16string& program, const std::u16string& second = u"/second/")
        : m_program(program), m_second(second)
    {
        SetBaseFolders(this);
    }
    ~FakeBaseFolders() { SetBaseFolders(nullptr); }
    FakeBaseFolders(const FakeBaseFolders&) = delete;
    FakeBaseFolders& operator=(const FakeBaseFolders&) = delete;

    tCString GetProgramFolder() const override { return tCString(std::u16string_view(m_program)); }
    tCString GetSecondBaseFolder() const override { return tCString(std::u16string_view(m_second)); }

private:
    std::u16string m_program, m_second;
};
