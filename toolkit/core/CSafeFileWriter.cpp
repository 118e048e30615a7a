#include "toolkit/core/CSafeFileWriter.h"

#include <unistd.h>

#include <string>

#include "platform/FileSystem.h"

CSafeFileWriter::~CSafeFileWriter()
{
    Discard();
}

tResult CSafeFileWriter::Begin(const tCFPath& target)
{
    Discard();
    if (!target.HasText())
        return kResBadParam;
    // A text that names no file is refused: no other file may be written in its place.
    std::string targetName;
    if (!target.GetPathText().ToFileName(&targetName))
        return kResFileOpen;
    m_target = tCFRef(target.GetPathText());
    // Refused before anything is made: a file this program may not write, a link another user
    // planted, anything but a regular file.
    if (!w32::FindReplacedFile(targetName, &m_replaced))
        return kResFileOpen;
    std::string temporary;
    const int descriptor = w32::CreateFileBeside(m_replaced, ".tmp", 0666, &temporary);
    // A file that may be written but beside which no temporary can be made (its folder may not
    // be written) could only be written in place, where a failed write would lose it: the save
    // fails as a failed write does.
    if (descriptor < 0)
        return m_replaced.exists ? kResFileIO : kResFileOpen;
    m_descriptor = descriptor;
    m_temporary = tCFRef(tCString::FromFileName(temporary));
    // The file just made is written through its own descriptor, never opened again by name.
    const tResult opened = m_file.AdoptDescriptor(descriptor);
    if (opened != kResOk)
        Discard();
    return opened;
}

tResult CSafeFileWriter::Commit()
{
    if (!m_file.IsOpen())
        return kResFileInvalid;
    // The temporary takes the target's place while it is still open, and so held: no other
    // program takes it for one left behind. Synced, it has nothing left to fail on closing.
    std::string temporary;
    std::string target;
    if (m_file.Sync() != kResOk || !m_temporary.GetPathText().ToFileName(&temporary) ||
        !m_target.GetPathText().ToFileName(&target) ||
        !w32::ReplaceWithFileBeside(m_descriptor, temporary, target, m_replaced)) {
        Discard();
        return kResFileIO;
    }
    m_temporary.Clear();
    (void)m_file.Close();
    m_descriptor = -1;
    return kResOk;
}

void CSafeFileWriter::Discard()
{
    m_file.Close();
    m_descriptor = -1;
    std::string temporary;
    if (m_temporary.HasText() && m_temporary.GetPathText().ToFileName(&temporary))
        unlink(temporary.c_str());
    m_temporary.Clear();
}
