#pragma once

// Makes the text widgets known, and lets the backdrop open the widget inspector panel: the widget factory builds 'txwg', 'tiwg' and 'tewg' by their
// type tags, and the chunk schema (which the resource tools check layouts against) learns their
// chunks; the schema also learns the table's ('tbwg') chunks, though hierarchies do not build
// tables: their owners load them by name. Call once before layouts are loaded or compiled; later calls change nothing.
void RegisterTextWidgets();
