#ifndef REGULAR_FILE_H
#define REGULAR_FILE_H

#include <stdio.h>

#include <String.h>
#include <SupportDefs.h>

// Every file the program reads from its folders or from a path a person
// set (menu and order files, the synonym file, the contact header, a logo)
// may turn out to be a named pipe, a device or a file far larger than any
// canteen's: reading it would hang the program or fill its memory. So such
// a file is opened here: without waiting, asked on the open descriptor
// what it is, and read only when it is a regular file within a bound.

// Opens path for reading when it is a regular file of at most maxSize
// bytes. Otherwise NULL, and reason receives why (when given): "not found",
// "not a regular file", "larger than N MB", or the system's text. A caller
// reads at most maxSize bytes of it, should the file grow meanwhile.
FILE* OpenRegularFile(const char* path, int64 maxSize, BString* reason = NULL);

#endif // REGULAR_FILE_H
