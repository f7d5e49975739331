#ifndef APP_DEFS_H
#define APP_DEFS_H

#include <SupportDefs.h>

// Codes of the platform's own messages.
enum {
	B_ABOUT_REQUESTED = '_ABR',
	B_APP_ACTIVATED = '_ACT',
	B_ARGV_RECEIVED = '_ARG',
	B_KEY_DOWN = '_KYD',
	B_KEY_UP = '_KYU',
	B_MODIFIERS_CHANGED = '_MCH',
	B_MOUSE_DOWN = '_MDN',
	B_MOUSE_MOVED = '_MMV',
	B_MOUSE_UP = '_MUP',
	B_MOUSE_WHEEL_CHANGED = '_MWC',
	B_NO_REPLY = '_NRP',
	B_PULSE = '_PUL',
	B_QUIT_REQUESTED = '_QRQ',
	B_READY_TO_RUN = '_RTR',
	B_REFS_RECEIVED = '_RRC',
	B_SIMPLE_DATA = 'DATA',
	B_UNMAPPED_KEY_DOWN = '_UKD',
	B_UNMAPPED_KEY_UP = '_UKU',
	B_WINDOW_ACTIVATED = '_WAC',
	B_WINDOW_MOVED = '_WMV',
	B_WINDOW_RESIZED = '_WRS',
};

// How the pointer moved relative to a view, for BView::MouseMoved().
enum {
	B_ENTERED_VIEW = 0,
	B_INSIDE_VIEW,
	B_EXITED_VIEW,
	B_OUTSIDE_VIEW,
};

// Mouse buttons, one bit each, in the "buttons" field of mouse messages.
enum {
	B_PRIMARY_MOUSE_BUTTON = 0x01,
	B_SECONDARY_MOUSE_BUTTON = 0x02,
	B_TERTIARY_MOUSE_BUTTON = 0x04,
};

#endif // APP_DEFS_H
