#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/core/tCString.h"

// What a resource file's widgets name and what the loaders require of it: no empty data block
// (the loader finds no chunk in it), one widget resource per name, every child and cursor naming
// a widget resource there (a child one of its class), every image and gradient name a resource of
// that type, every default cursor one of the widget's cursors, no widget containing itself, and
// no hierarchy deeper or larger than one load may make. `where` is the source line, or the
// resource's index in a file, that an error points at.
struct tWidgetFacts {
    struct tReference {
        tCString name;
        // A class tag for a child; 0 for a cursor, which may be a widget of any class; 'imag'
        // or 'grad' for a resource of that type.
        uint32_t type = 0;
        int where = 0;
    };
    struct tWidget {
        uint32_t type = 0;
        tCString name;
        int where = 0;
        std::vector<tReference> children;
        std::vector<tCString> cursors;
        std::vector<tReference> defaultCursors;
        bool emptyBlock = false;
    };
    struct tResource {
        uint32_t type = 0;
        tCString name;
    };

    std::vector<tWidget> widgets;
    std::vector<tResource> resources;
    std::vector<tReference> references;
};

// False with the place and the reason of the first fault found.
bool CheckWidgetFacts(const tWidgetFacts& facts, int* where, std::string* why);
