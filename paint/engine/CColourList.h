#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCArray.h"
#include "toolkit/core/tCCmdTarget.h"

class tCFPath;
class tCStream;

// Told to the backdrop once a colour-list file was loaded.
inline constexpr uint32_t kMsgColourListChanged = 0xFF001049u;
// The record: u32 count, then count u32 ARGB colours, in list order.
inline constexpr uint32_t kTagColourList = 0xFF00308Fu;
// An entry never set: white without coverage.
inline constexpr uint32_t kUnsetColour = 0x00FFFFFFu;

// The user's kept colours. They travel as one record, inside project files and in colour-list
// files of their own (the string-table text kStrColourListHeader as one UTF-16 line, then the
// record). A failed read leaves the list as it was.
class CColourList : public tCCmdTarget {
public:
    int32_t GetCount() const { return m_colours.GetCount(); }
    // kUnsetColour for an index outside the list.
    uint32_t GetEntry(int32_t index) const;
    // An index at or past the end first grows the list with kUnsetColour; a negative index
    // changes nothing. 5 when the list cannot grow that far.
    tResult SetEntry(int32_t index, uint32_t colour);
    // Takes the entry out, the later ones moving down; nothing outside the list.
    void Remove(int32_t index);
    // Empties the list and frees its storage.
    void Clear();

    // Writes the record; nothing (0) without a stream or colours.
    tResult Write(tCStream* stream) const;
    // Replaces the list by the colours of a record's payload at the stream's position: as many
    // as follow when the count announces more. 0 and nothing changes without a stream or at its
    // end.
    tResult Read(tCStream* stream);
    // Writes a colour-list file from the stream's start; nothing (0) without a stream or
    // colours, 24 when the string table lacks the header.
    tResult Save(tCStream* stream) const;
    // Save through a temporary file that replaces the file only once all was written, asking
    // for a path when the given one is empty (2 when the user cancels).
    tResult SaveFile(tCFPath& path) const;
    // Reads a colour-list file from the stream's start: 17 when the header line or the record's
    // tag is wrong, 16 when it is cut before the colours. Then tells the backdrop
    // kMsgColourListChanged and answers what it answers.
    tResult Load(tCStream* stream);

private:
    tCArray<uint32_t> m_colours;
};
