#pragma once

#include "toolkit/core/FourCC.h"
#include "toolkit/core/tCBasePath.h"

// A file path with its four-character file-type and creator codes ("????" by default). Every
// getter and setter works on the full text as GetText gives it; setters store through SetPath
// and leave the path unchanged when they fail (8 without text, 6 for a bad argument or a text
// too long to compose).
class tCFPath : public tCBasePath {
public:
    explicit tCFPath(const tCString& text = tCString(), uint32_t kind = kFilePath,
                     uint32_t fileType = kUnknownFourCC, uint32_t creator = kUnknownFourCC);
    tCFPath(const tCFPath&) = default;
    // Copies the kind, the other's full text and both codes; a relative target keeps its
    // selector.
    tCFPath& operator=(const tCFPath& other);

    void Clear() override;

    // Stores the whole text unchanged.
    tResult SetPath(const tCString& text) { return tCBasePath::SetText(text); }
    // A separator in the name becomes "_": the name never moves the file to another folder.
    tResult SetName(const tCString& name);
    // Takes the folder part of `folder` (a folder is given with its final "/").
    tResult SetFolder(const tCString& folder);
    // Sets the extension and the file-type code from a catalogue id (6 above 23). Without
    // an extension and with `addIfMissing` false, the path stays without one. A non-empty
    // override replaces the catalogue's extension; a code of 0 takes the catalogue's code.
    tResult SetFileType(uint32_t typeId, bool addIfMissing, const tCString& extensionOverride, uint32_t code);
    // The file-type code becomes `code`, or the catalogue's code for the extension when `code`
    // is "????", even when the path then cannot change.
    tResult SetExtension(const tCString& extension, bool addIfMissing, uint32_t code);

    // Folder with its final "/", name without extension, extension with its dot, name with
    // extension; "" for a path without text.
    tCString GetFolder() const;
    tCString GetName() const;
    tCString GetExtension() const;
    tCString GetFileName() const;
    tCString GetPathText() const { return GetText(); }

    // True when this path lies inside `other`, compared without regard to ASCII case: `other`
    // is a shorter prefix ending at a separator.
    bool IsWithin(const tCFPath& other) const;
    // This text without as many leading units as `other` has; "" when `other` is not shorter.
    tCString GetTextAfter(const tCFPath& other) const;
    tResult CopyFolderTo(tCBasePath& target) const { return target.Assign(GetFolder()); }

    // The catalogue id of the extension; 0 without text or for an unknown extension.
    uint32_t GetFileType() const;
    uint32_t GetFileTypeCode() const { return m_fileType; }
    uint32_t GetCreatorCode() const { return m_creator; }

protected:
    uint32_t m_fileType;
    uint32_t m_creator;

private:
    struct Parts {
        tCString folder, name, extension;
    };
    tResult Split(Parts* parts) const;
    tResult StoreComposed(const Parts& parts);
};
