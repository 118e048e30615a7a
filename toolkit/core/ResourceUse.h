#pragma once

#include <cstdint>

// A resource, or a text of the string table, that code loads. Every folder that loads resources
// lists what it loads in one table of these (app/shell/ShellResources.h and its kind), and a test
// finds each entry in the compiled files: a resource the files lack fails the tests, not the
// program.
struct tResourceUse {
    // The resource's type tag, or kStringTableText.
    uint32_t type;
    // The first id; ignored when `name` is given.
    uint32_t id;
    // How many consecutive ids from `id` are loaded.
    uint32_t count = 1;
    // For a resource loaded by name (a font): the name.
    const char* name = nullptr;
};

// The type of a text of the string table, which has no resource tag.
inline constexpr uint32_t kStringTableText = 0;
