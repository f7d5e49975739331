#include "Alerts.h"

#include <stdio.h>
#include <string.h>

#include <Alert.h>
#include <InterfaceDefs.h>
#include <View.h>


// The alert's whole text, the prefix and the terminator included, fits in
// this many bytes; a longer text is cut.
static const size_t kAlertTextSize = 2048;
static const char* const kAlertPrefix = "Vantuk..\n";


// Cuts text to at most maxBytes without splitting a UTF-8 character.
static size_t
FittingLength(const char* text, size_t maxBytes)
{
	size_t length = strnlen(text, maxBytes + 1);
	if (length <= maxBytes)
		return length;
	length = maxBytes;
	while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xc0) == 0x80)
		length--;
	return length;
}


int32
AnyAlert(const char* text, bool wait)
{
	if (text == NULL)
		text = "";
	char message[kAlertTextSize];
	size_t prefixLength = strlen(kAlertPrefix);
	size_t textLength = FittingLength(text, sizeof(message) - prefixLength - 1);
	memcpy(message, kAlertPrefix, prefixLength);
	memcpy(message + prefixLength, text, textLength);
	message[prefixLength + textLength] = '\0';

	BAlert* alert = new BAlert("Autsch", message, " Oha ", NULL, NULL, B_WIDTH_AS_USUAL,
		B_INFO_ALERT);
	alert->SetShortcut(0, B_ENTER);
	if (wait)
		return alert->Go();
	return alert->Go(NULL);
}


void
AddToolTip(BView* view, const char* text)
{
	if (view == NULL) {
		printf("AddTT: bad view\n");
		return;
	}
	view->SetToolTipText(text);
}
