#ifndef APP_MESSAGE_CODES_H
#define APP_MESSAGE_CODES_H

#include <SupportDefs.h>

// The application's own codes; those it shares with the main window are in
// mainwin/MessageCodes.h.

// Posted to itself once the main window is up: save the window's picture
// (the --screenshot option) and quit.
const uint32 kMsgTakeScreenshot = 'shot';

// Posted to itself once the main window is up: open the configuration
// window (the --configure option).
const uint32 kMsgConfigureAtStart = 'cfgS';

#endif // APP_MESSAGE_CODES_H
