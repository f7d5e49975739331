#ifndef SCREEN_H
#define SCREEN_H

#include <Rect.h>
#include <SupportDefs.h>

class BWindow;

// The screen a window is on (the main screen for no window), as it is when
// the object is made.
class BScreen
{
public:
	explicit BScreen(BWindow* window = NULL);
	~BScreen();

	// False when there is no screen at all.
	bool IsValid() const;
	// The whole screen, in screen coordinates.
	BRect Frame() const;
	// Kit only: the part of the screen that windows may take, without the
	// desktop's panels (the desktop's work area); the whole screen where the
	// desktop keeps none.
	BRect WorkArea() const;

private:
	bool fValid;
	BRect fFrame;
	BRect fWorkArea;
};

#endif // SCREEN_H
