#pragma once

// Makes the text widgets known: the widget factory builds 'txwg', 'tiwg' and 'tewg' by their
// type tags, and the chunk schema (which the resource tools check layouts against) learns their
// chunks. Call once before layouts are loaded or compiled; later calls change nothing.
void RegisterTextWidgets();
