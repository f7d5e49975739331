#include <private/Accessibility.h>

#include <QAccessible>
#include <QAccessibleInterface>
#include <QString>
#include <QWidget>

#include <View.h>

#include "private/ViewPrivate.h"


void
BPrivate::SetAccessibleName(BView* view, const char* name)
{
	if (view == NULL)
		return;
	QWidget* widget = view->_Private()->widget;
	QString text = QString::fromUtf8(name != NULL ? name : "");
	if (widget->accessibleName() == text)
		return;
	// The toolkit tells a screen reader of the change itself.
	widget->setAccessibleName(text);
}


BString
BPrivate::AccessibleNameOf(BView* view)
{
	if (view == NULL)
		return BString();
	QAccessibleInterface* accessible =
		QAccessible::queryAccessibleInterface(view->_Private()->widget);
	if (accessible == NULL)
		return BString();
	return BString(accessible->text(QAccessible::Name).toUtf8().constData());
}
