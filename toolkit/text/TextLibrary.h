#pragma once

// Lets the application object start the text library when it is constructed (FreeType, and the
// text gamma tables with the exponent 1.1) and stop it after its pools are emptied. Call before
// the application object is constructed.
void InstallTextLibraryHooks();
