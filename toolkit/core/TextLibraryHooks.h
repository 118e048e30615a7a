#pragma once

// The text library (the font engine and the text gamma tables) lives above the core. The
// application object starts it when it is constructed and stops it after its resource pools
// are emptied, since pooled fonts still use it; the executable installs the two hooks before it
// constructs the application.
struct tTextLibraryHooks {
    void (*start)() = nullptr;
    void (*stop)() = nullptr;
};

void SetTextLibraryHooks(tTextLibraryHooks hooks);
tTextLibraryHooks GetTextLibraryHooks();
