#ifndef MIME_TYPE_H
#define MIME_TYPE_H

#include <Entry.h>
#include <StorageDefs.h>
#include <SupportDefs.h>

#include <string>

// A MIME type: here the entries of the MIME database the program uses, the
// application hint (where the program of a signature lies) and the preferred
// application. Every kit application records its hint when it starts, in
// the user's data folder.
class BMimeType {
public:
	BMimeType();
	BMimeType(const char* type);
	~BMimeType();

	status_t SetTo(const char* type);
	status_t InitCheck() const;
	const char* Type() const;

	status_t GetAppHint(entry_ref* ref) const;
	status_t SetAppHint(const entry_ref* ref);
	// The signature of the program that opens files of this type: for an
	// application signature, the signature itself when a hint is known.
	status_t GetPreferredApp(char* signature) const;

	static bool IsValid(const char* type);

private:
	std::string fType;
	status_t fStatus;
};

#endif // MIME_TYPE_H
