#include <Button.h>

#include <QEvent>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPointer>
#include <QPushButton>

#include "private/FontPrivate.h"
#include "private/ControlPrivate.h"
#include "private/ViewPrivate.h"


namespace BPrivate {

// The desktop's push button, showing the view's font.
class ButtonWidget : public QPushButton {
public:
	ButtonWidget(BButton* owner, QWidget* parent)
		:
		QPushButton(parent),
		fOwner(owner)
	{
	}

	void Orphan() { fOwner = NULL; }

protected:
	void paintEvent(QPaintEvent* event) override
	{
		// The view's font is set through the view, which does not tell the
		// button; it is taken over here, before the label is drawn.
		if (fOwner != NULL) {
			const BFont& font = fOwner->_Private()->font;
			if (!fHasFont || font != fFont) {
				fFont = font;
				fHasFont = true;
				setFont(ToQFont(font));
			}
		}
		QPushButton::paintEvent(event);
	}

private:
	BButton* fOwner;
	BFont fFont;
	bool fHasFont = false;
};


// Enter in the window presses its default button, when no view took the
// key for itself.
class DefaultButtonFilter : public QObject {
public:
	DefaultButtonFilter(ButtonWidget* button)
		:
		QObject(button),
		fButton(button)
	{
	}

protected:
	bool eventFilter(QObject* watched, QEvent* event) override
	{
		if (event->type() != QEvent::KeyPress || fButton.isNull()
			|| watched != fButton->window())
			return false;
		QKeyEvent* key = static_cast<QKeyEvent*>(event);
		if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
			|| !fButton->isDefault() || !fButton->isEnabled() || !fButton->isVisible())
			return false;
		fButton->click();
		return true;
	}

private:
	QPointer<ButtonWidget> fButton;
};


struct ButtonPrivate {
	ButtonWidget* button = NULL;
	ChildPlacer* placer = NULL;
	DefaultButtonFilter* defaultFilter = NULL;
	std::unique_ptr<QObject> context = std::make_unique<QObject>();
};

} // namespace BPrivate


BButton::BButton(BRect frame, const char* name, const char* label, BMessage* message,
	uint32 resizingMode, uint32 flags)
	:
	BControl(frame, name, label, message, resizingMode, flags),
	fButtonPrivate(std::make_unique<BPrivate::ButtonPrivate>())
{
	BPrivate::ButtonPrivate* d = fButtonPrivate.get();
	QWidget* host = _Widget();
	d->button = new BPrivate::ButtonWidget(this, host);
	d->button->setText(
		BPrivate::ToQString(Label()).replace(QLatin1Char('&'), QStringLiteral("&&")));
	d->button->setFont(BPrivate::ToQFont(_Private()->font));
	d->button->setAutoDefault(false);
	QObject::connect(d->button, &QPushButton::clicked, d->context.get(), [this]() {
		BPrivate::ViewLocker locker(this);
		Invoke();
	});
	host->setFocusProxy(d->button);
	d->placer = new BPrivate::ChildPlacer(host, [d]() {
		d->button->setGeometry(d->button->parentWidget()->rect());
	});
	_Private()->nativeWidget = true;
}


BButton::~BButton()
{
	BPrivate::ButtonPrivate* d = fButtonPrivate.get();
	d->context.reset();
	d->placer->Orphan();
	d->button->Orphan();
}


void
BButton::AttachedToWindow()
{
	BControl::AttachedToWindow();
	// The window's widget is known now; a button made default before it was
	// in a window listens to it from here.
	if (IsDefault())
		MakeDefault(true);
}


void
BButton::MakeFocus(bool focus)
{
	BControl::MakeFocus(focus);
	if (focus)
		fButtonPrivate->button->setFocus(Qt::OtherFocusReason);
	else
		fButtonPrivate->button->clearFocus();
}


void
BButton::SetLabel(const char* label)
{
	BControl::SetLabel(label);
	fButtonPrivate->button->setText(
		BPrivate::ToQString(Label()).replace(QLatin1Char('&'), QStringLiteral("&&")));
}


void
BButton::SetEnabled(bool enabled)
{
	BControl::SetEnabled(enabled);
	fButtonPrivate->button->setEnabled(enabled);
}


void
BButton::MakeDefault(bool isDefault)
{
	BPrivate::ButtonPrivate* d = fButtonPrivate.get();
	d->button->setDefault(isDefault);
	QWidget* window = d->button->window();
	if (d->defaultFilter != NULL) {
		delete d->defaultFilter;
		d->defaultFilter = NULL;
	}
	if (isDefault && window != d->button) {
		d->defaultFilter = new BPrivate::DefaultButtonFilter(d->button);
		window->installEventFilter(d->defaultFilter);
	}
}


bool
BButton::IsDefault() const
{
	return fButtonPrivate->button->isDefault();
}
