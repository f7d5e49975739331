#ifndef ALERTS_H
#define ALERTS_H

#include <SupportDefs.h>

class BView;

// The one-button alert for every warning of the program: "Vantuk.." and the
// text, under the title "Autsch", with the button " Oha " on Enter. With
// wait, the call returns when the button is pressed (its index, 0);
// otherwise at once, and the alert goes away by itself when dismissed.
int32 AnyAlert(const char* text, bool wait);

// Sets the tool tip of view; a NULL view is only reported.
void AddToolTip(BView* view, const char* text);

#endif // ALERTS_H
