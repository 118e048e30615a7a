#pragma once

#include <cstdint>

#include "toolkit/core/tCBaseObject.h"

// What a control of a tool's settings panel shows for one property.
enum : uint32_t { kPropertySlider = 0, kPropertySwitch = 2, kPropertyAction = 3 };

// One entry of a tool's settings panel: the string-table id of its name, which also identifies
// the property in the property-value message, and its kind.
class CToolProperty : public tCBaseObject {
public:
    CToolProperty(uint32_t textId, uint32_t kind) : m_textId(textId), m_kind(kind) {}

    uint32_t GetTextId() const { return m_textId; }
    uint32_t GetKind() const { return m_kind; }

private:
    uint32_t m_textId;
    uint32_t m_kind;
};
