#include "NodeInfo.h"

#include <string.h>
#include <sys/stat.h>

#include <File.h>
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


// The shared MIME database looks at no more of a file's content than this.
const qsizetype kSniffedBytes = 16 * 1024;


// The freedesktop types of the nodes that are no regular file, as file
// managers show them; NULL for a regular file.
const char*
KindType(mode_t mode)
{
	if (S_ISREG(mode))
		return NULL;
	if (S_ISDIR(mode))
		return "inode/directory";
	if (S_ISFIFO(mode))
		return "inode/fifo";
	if (S_ISCHR(mode))
		return "inode/chardevice";
	if (S_ISBLK(mode))
		return "inode/blockdevice";
	if (S_ISSOCK(mode))
		return "inode/socket";
	return "application/octet-stream";
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

	// What is no file is known by its kind alone: its content is never read.
	struct stat st;
	status_t status = fNode->GetStat(&st);
	if (status != B_OK)
		return status;
	if (const char* kind = KindType(st.st_mode)) {
		CopyType(kind, strlen(kind), type);
		return B_OK;
	}

	// By name and content, as file managers do. Qt answers
	// application/octet-stream when it knows nothing better, and that is a
	// fair answer for a node of unknown kind. The content is read here, as
	// much as the database looks at, from a file that takes nothing but a
	// regular file and does not wait: Qt would open the path itself, and a
	// named pipe put there since would hang it. A file we may not read is
	// known by its name.
	QMimeDatabase database;
	QString path = QString::fromUtf8(fNode->NodePath());
	QMimeType mimeType;
	BFile file(fNode->NodePath(), B_READ_ONLY);
	if (file.InitCheck() == B_OK) {
		QByteArray start(kSniffedBytes, '\0');
		ssize_t length = file.Read(start.data(), start.size());
		start.resize(max_c(length, ssize_t(0)));
		mimeType = database.mimeTypeForFileNameAndData(path, start);
	} else
		mimeType = database.mimeTypeForFile(path, QMimeDatabase::MatchExtension);
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
