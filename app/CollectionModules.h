// Tells the main window which window each collection command opens.
#pragma once

// Registers the collection windows with the main window; call once before
// the main window is created.
void registerCollectionWindows();
