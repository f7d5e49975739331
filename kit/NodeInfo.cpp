#include "NodeInfo.h"

#include <string.h>

#include <Node.h>
#include <TypeConstants.h>

#include <QByteArray>
#include <QMimeDatabase>
#include <QMimeType>
#include <QString>


namespace {

// BNode keeps this one attribute as the bare string of the freedesktop
// "user.mime_type" attribute, which file managers share with us.
const char kMimeTypeAttribute[] = "mime_type";


// "supertype/subtype" with nothing that could not be part of a MIME type:
// the attribute is shared with other programs, so no junk goes in.
bool
IsValidMimeType(const char* type)
{
	size_t length = strlen(type);
	const char* slash = strchr(type, '/');
	if (length == 0 || length >= B_MIME_TYPE_LENGTH || slash == NULL || slash == type
		|| slash[1] == '\0' || strchr(slash + 1, '/') != NULL) {
		return false;
	}
	for (const char* c = type; *c != '\0'; c++) {
		if ((unsigned char)*c <= ' ' || (unsigned char)*c >= 0x7f
			|| strchr("()<>@,;:\\\"[]?=", *c) != NULL) {
			return false;
		}
	}
	return true;
}


void
CopyType(const char* source, size_t length, char* type)
{
	length = min_c(length, (size_t)B_MIME_TYPE_LENGTH - 1);
	memcpy(type, source, length);
	type[length] = '\0';
}

} // namespace


BNodeInfo::BNodeInfo()
	:
	fNode(NULL),
	fStatus(B_NO_INIT)
{
}


BNodeInfo::BNodeInfo(BNode* node)
	:
	fNode(NULL),
	fStatus(B_NO_INIT)
{
	SetTo(node);
}


BNodeInfo::~BNodeInfo()
{
}


status_t
BNodeInfo::SetTo(BNode* node)
{
	fNode = NULL;
	if (node == NULL)
		fStatus = B_BAD_VALUE;
	else if (node->InitCheck() != B_OK)
		fStatus = B_NO_INIT;
	else {
		fNode = node;
		fStatus = B_OK;
	}
	return fStatus;
}


status_t
BNodeInfo::InitCheck() const
{
	return fStatus;
}


status_t
BNodeInfo::GetType(char* type) const
{
	if (type == NULL)
		return B_BAD_VALUE;
	// The node may have been unset since we were given it.
	if (fStatus != B_OK || fNode->InitCheck() != B_OK)
		return B_NO_INIT;

	// A type the user or a program gave the file wins over any guess. An
	// attribute that cannot be read (a damaged side file) is no reason to
	// know nothing: the database still has its answer.
	char stored[B_MIME_TYPE_LENGTH];
	ssize_t length = fNode->ReadAttr(kMimeTypeAttribute, B_MIME_STRING_TYPE, 0, stored,
		sizeof(stored) - 1);
	if (length > 0) {
		stored[length] = '\0';
		if (stored[0] != '\0') {
			CopyType(stored, strlen(stored), type);
			return B_OK;
		}
	}

	// By name and content, as file managers do. Qt answers
	// application/octet-stream when it knows nothing better, and that is a
	// fair answer for a node of unknown kind.
	QMimeDatabase database;
	QMimeType mimeType = database.mimeTypeForFile(QString::fromUtf8(fNode->NodePath()));
	if (!mimeType.isValid())
		return B_ERROR;
	QByteArray name = mimeType.name().toUtf8();
	CopyType(name.constData(), name.size(), type);
	return B_OK;
}


status_t
BNodeInfo::SetType(const char* type)
{
	if (fStatus != B_OK || fNode->InitCheck() != B_OK)
		return B_NO_INIT;

	// No type: the node goes back to what its name and content say.
	if (type == NULL) {
		status_t status = fNode->RemoveAttr(kMimeTypeAttribute);
		return status == B_ENTRY_NOT_FOUND ? B_OK : status;
	}
	if (!IsValidMimeType(type))
		return B_BAD_VALUE;

	// Without a terminator, as other programs write this attribute.
	ssize_t written
		= fNode->WriteAttr(kMimeTypeAttribute, B_MIME_STRING_TYPE, 0, type, strlen(type));
	return written < 0 ? (status_t)written : B_OK;
}
