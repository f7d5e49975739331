#ifndef APP_PRIVATE_H
#define APP_PRIVATE_H

#include <SupportDefs.h>

class BWindow;

namespace BPrivate {

// The windows of the program, in the order they were made; the window code
// registers each one for its life.
void RegisterWindow(BWindow* window);
void UnregisterWindow(BWindow* window);
int32 CountWindows();
BWindow* WindowAt(int32 index);

// Makes the toolkit's application object when there is none yet (views and
// fonts need it), with the program's arguments.
void EnsureToolkit();

} // namespace BPrivate

#endif // APP_PRIVATE_H
