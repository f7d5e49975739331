#ifndef LOCALE_H
#define LOCALE_H

#include <SupportDefs.h>

// The locale service: turns an English text into the text to show in the
// user's language. The English text is the key; without a catalogue for the
// language the English text comes back. Results stay valid for the program's
// whole run.
class BLocale {
public:
	BLocale();
	~BLocale();

	const char* GetString(const char* text);
};

extern BLocale* be_locale;

#endif // LOCALE_H
