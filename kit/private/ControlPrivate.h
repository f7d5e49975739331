#ifndef NATIVE_CONTROL_H
#define NATIVE_CONTROL_H

#include <QColor>
#include <QObject>
#include <QString>

#include <functional>
#include <string>

#include <GraphicsDefs.h>
#include <SupportDefs.h>

class BLooper;
class BView;
class QWidget;

namespace BPrivate {

// Keeps the toolkit widgets of a control in place: place runs whenever the
// view's widget changes its size (and once at the start), and puts the
// control's widgets where they belong.
class ChildPlacer : public QObject {
public:
	ChildPlacer(QWidget* host, std::function<void()> place);

	// The control is going; from now on nothing is placed.
	void Orphan();

protected:
	bool eventFilter(QObject* watched, QEvent* event) override;

private:
	std::function<void()> fPlace;
};

QColor ToQColor(rgb_color color);
QString ToQString(const char* text);

// Sets a label or text field (NULL counts as empty); true when it changed,
// so the caller redraws only then.
bool ChangeText(std::string* field, const char* text);

// A control that joins a window sits on its parent's background: while the
// program has not given it a colour of its own, it takes the parent's view
// colour as its view and low colour.
void AdoptParentColors(BView* view);

// Holds the lock of a view's looper (when it has one) while a toolkit
// signal reaches the kit, as the hooks of a view run with their window
// locked. A looper that quits meanwhile is not touched again.
class ViewLocker {
public:
	ViewLocker(BView* view);
	~ViewLocker();

private:
	BLooper* fLooper;
	int32 fToken;
};

} // namespace BPrivate

#endif // NATIVE_CONTROL_H
