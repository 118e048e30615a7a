#pragma once

#include <cstdint>
#include <new>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCString.h"

class CResourceDirectory;
class CWidget;
class tCStream;

// Widgets made by their type tag: the class is built, loaded from the resource file by name and
// added to its parent. The table knows the tags a hierarchy may name, each with the text shown
// when its widget cannot be made; a tag whose class has no creator yet is unrecognised.

// Makes and loads a widget by resource name; null on failure. A null directory searches the file.
using tWidgetCreator = CWidget* (*)(const tCString& name, tCStream* file, CResourceDirectory* directory);

// Installs the creator of one of the table's tags; 6 for a tag the table does not hold.
tResult SetWidgetCreator(uint32_t type, tWidgetCreator creator);
// True for the tags of the table, with or without a creator.
bool IsHierarchyWidgetType(uint32_t type);

// The widget of that type loaded by name from `file` (null: the application's resource file),
// added at the front of `parent` when one is given; null after a report on any failure.
CWidget* CreateWidgetFromHierarchy(const tCString& name, uint32_t type, CWidget* parent, tCStream* file);
// Finds the widget resource of that name in `file` (null: the application's resource file) and
// builds the widget its tag names from that file; null when there is none, without a report.
CWidget* CreateWidgetByResourceName(const tCString& name, tCStream* file);

// Plain widgets loaded by id or by name; null on failure.
CWidget* CreateWidgetFromRes(uint32_t id, tCStream* file, CResourceDirectory* directory);
CWidget* CreateWidgetFromResName(const tCString& name, tCStream* file, CResourceDirectory* directory);

// A new widget of class T loaded by name or id, deleted again when loading fails.
template <typename T>
T* LoadNewWidget(const tCString& name, tCStream* file, CResourceDirectory* directory)
{
    T* widget = new (std::nothrow) T;
    if (widget && widget->LoadFromResourceName(name, file, directory) != kResOk) {
        delete widget;
        return nullptr;
    }
    return widget;
}

template <typename T>
T* LoadNewWidgetById(uint32_t id, tCStream* file, CResourceDirectory* directory)
{
    T* widget = new (std::nothrow) T;
    if (widget && widget->LoadFromResourceId(id, file, directory) != kResOk) {
        delete widget;
        return nullptr;
    }
    return widget;
}
