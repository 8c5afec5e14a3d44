#pragma once
// Resource ids of the program's icons (app/icons/icons.rc). Explorer shows the
// lowest id as the program's icon: the coloured one.
#define IDI_KORIMO_ON 1   // a keymap is on; the program's icon
#define IDI_KORIMO_OFF 2  // Keymap off
