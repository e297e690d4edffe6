#pragma once

// Starting values for a fresh block, shared by every program that creates
// the block (the simulator and the touchpad publisher). Fills it with each
// field's value from the block's field list: what a settings panel would
// ship, the finger record layout the engine reads (NewStruct 1), tapping,
// scrolling, zoom, rotation, drag, swipe, my home and window switching on,
// mid-range sliders, no finger on the pad and no detection flag raised.
void fill_default_block(void *block);
