#ifndef APP_HINTS_H
#define APP_HINTS_H

#include <SupportDefs.h>

namespace BPrivate {

// Records the running program's own executable (its real path) as the app
// hint of signature, so that others can start it by its signature. Every
// application object calls it when it starts.
status_t RecordOwnAppHint(const char* signature);

} // namespace BPrivate

#endif // APP_HINTS_H
