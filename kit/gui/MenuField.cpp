#include <MenuField.h>

#include <math.h>

#include <QCoreApplication>
#include <QMetaObject>
#include <QPushButton>

#include <algorithm>

#include <Menu.h>
#include <MenuItem.h>
#include <Window.h>

#include "private/ControlPrivate.h"
#include "private/FontPrivate.h"
#include "private/ViewPrivate.h"


namespace BPrivate {

struct MenuFieldPrivate {
	QPushButton* button = NULL;
	ChildPlacer* placer = NULL;
	std::unique_ptr<QObject> context = std::make_unique<QObject>();
};

} // namespace BPrivate


BMenuField::BMenuField(BRect frame, const char* name, const char* label, BMenu* menu,
	uint32 resizingMode, uint32 flags)
	:
	BView(frame, name, resizingMode, flags),
	fFieldPrivate(std::make_unique<BPrivate::MenuFieldPrivate>()),
	fLabel(label != NULL ? label : ""),
	fDivider(0),
	fMenu(menu),
	fMenuItem(NULL),
	fEnabled(true)
{
	if (!fLabel.empty())
		fDivider = floorf(StringWidth(fLabel.c_str()) + 5);

	// The field's own item stands for the menu, as the item of a menu bar
	// does on the platform; it owns the menu.
	if (fMenu == NULL)
		fMenu = new BMenu("");
	fMenuItem = new BMenuItem(fMenu);
	fMenu->fField = this;
	BMenuItem* marked = fMenu->FindMarked();
	if (fMenu->IsLabelFromMarked() && marked != NULL)
		fMenuItem->SetLabel(marked->Label());

	BPrivate::MenuFieldPrivate* d = fFieldPrivate.get();
	QWidget* host = _Widget();
	d->button = new QPushButton(host);
	d->button->setAutoDefault(false);
	QObject::connect(d->button, &QPushButton::clicked, d->context.get(), [this]() {
		// The menu waits for the choice in an event loop of its own; it
		// opens once the click is done, so that the button is not in the
		// middle of handling it should the field go meanwhile.
		int32 token = Token();
		QMetaObject::invokeMethod(
			QCoreApplication::instance(),
			[token]() {
				BMenuField* field = dynamic_cast<BMenuField*>(BHandler::HandlerFor(token));
				if (field != NULL)
					field->_OpenMenu();
			},
			Qt::QueuedConnection);
	});
	host->setFocusProxy(d->button);
	d->placer = new BPrivate::ChildPlacer(host, [this]() { _Layout(); });
	_Private()->nativeWidget = true;
	_UpdateButton();
}


BMenuField::~BMenuField()
{
	BPrivate::MenuFieldPrivate* d = fFieldPrivate.get();
	d->context.reset();
	d->placer->Orphan();
	fMenu->fField = NULL;
	delete fMenuItem;
}


void
BMenuField::AttachedToWindow()
{
	BPrivate::AdoptParentColors(this);
	BView::AttachedToWindow();
}


void
BMenuField::Draw(BRect)
{
	if (fLabel.empty())
		return;
	BRect bounds = Bounds();
	rgb_color high = HighColor();
	font_height height;
	GetFontHeight(&height);
	float y = ceilf(bounds.top
		+ (bounds.Height() + 1 - (height.ascent + height.descent)) / 2 + height.ascent);
	if (!IsEnabled())
		SetHighColor(tint_color(ViewColor(), B_DISABLED_LABEL_TINT));
	DrawString(fLabel.c_str(), BPoint(bounds.left, y));
	SetHighColor(high);
}


void
BMenuField::MakeFocus(bool focus)
{
	BView::MakeFocus(focus);
	if (focus)
		fFieldPrivate->button->setFocus(Qt::OtherFocusReason);
	else
		fFieldPrivate->button->clearFocus();
}


BMenu*
BMenuField::Menu() const
{
	return fMenu;
}


BMenuItem*
BMenuField::MenuItem() const
{
	return fMenuItem;
}


void
BMenuField::SetLabel(const char* label)
{
	if (BPrivate::ChangeText(&fLabel, label))
		Invalidate();
}


const char*
BMenuField::Label() const
{
	return fLabel.c_str();
}


void
BMenuField::SetEnabled(bool enabled)
{
	if (enabled == fEnabled)
		return;
	fEnabled = enabled;
	_UpdateButton();
	Invalidate();
}


bool
BMenuField::IsEnabled() const
{
	return fEnabled;
}


void
BMenuField::SetDivider(float position)
{
	fDivider = floorf(position);
	_Layout();
	Invalidate();
}


float
BMenuField::Divider() const
{
	return fDivider;
}


void
BMenuField::_UpdateButton()
{
	QPushButton* button = fFieldPrivate->button;
	if (button == NULL)
		return;
	button->setText(BPrivate::ToQString(fMenuItem->Label())
		.replace(QLatin1Char('&'), QStringLiteral("&&")));
	BFont font;
	fMenu->GetFont(&font);
	button->setFont(BPrivate::ToQFont(font));
	button->setEnabled(fEnabled && fMenu->IsEnabled());
}


void
BMenuField::_Layout()
{
	QPushButton* button = fFieldPrivate->button;
	QSize size = button->parentWidget()->size();
	int left = std::clamp(static_cast<int>(fDivider), 0, size.width());
	button->setGeometry(left, 0, size.width() - left, size.height());
}


void
BMenuField::_OpenMenu()
{
	if (!IsEnabled())
		return;
	QPushButton* button = fFieldPrivate->button;
	QPoint below = button->mapToGlobal(QPoint(0, button->height()));

	// The field may go while its menu is open (a message handled meanwhile
	// can close the window): it is looked for again by its token.
	int32 token = Token();
	BMenuItem* item = fMenu->_Track(BPoint(below.x(), below.y()));
	if (item == NULL || BHandler::HandlerFor(token) != this)
		return;

	BPrivate::ViewLocker locker(this);
	if (item->Menu() != NULL && item->Menu()->IsRadioMode())
		item->SetMarked(true);
	item->Invoke();
}
