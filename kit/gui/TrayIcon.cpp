#include <TrayIcon.h>

#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QPixmap>
#include <QSystemTrayIcon>

#include <string>

#include <AppDefs.h>
#include <Application.h>
#include <Bitmap.h>

#include "private/AppPrivate.h"
#include "private/BitmapPrivate.h"


// The icon and its menu are made when the icon is first shown: a program
// on a desktop without a tray never makes them.
struct BPrivate::TrayIconPrivate
{
	std::string name;
	std::string toolTip;
	std::unique_ptr<QMenu> menu;
	std::unique_ptr<QSystemTrayIcon> icon;
};


BTrayIcon::BTrayIcon(const char* name)
	:
	fPrivate(std::make_unique<BPrivate::TrayIconPrivate>())
{
	fPrivate->name = name != NULL ? name : "";
}


BTrayIcon::~BTrayIcon()
{
	// The icon goes before its menu.
	fPrivate->icon.reset();
	fPrivate->menu.reset();
}


bool
BTrayIcon::Show(const BBitmap* icon, const char* toolTip)
{
	if (toolTip != NULL)
		fPrivate->toolTip = toolTip;
	BPrivate::EnsureToolkit();
	if (icon == NULL || !icon->IsValid() || !QSystemTrayIcon::isSystemTrayAvailable())
		return false;

	if (fPrivate->icon == NULL) {
		fPrivate->menu = std::make_unique<QMenu>();
		QAction* quit = fPrivate->menu->addAction(QStringLiteral("Quit"));
		QObject::connect(quit, &QAction::triggered, []() {
			if (be_app != NULL)
				be_app_messenger.SendMessage(B_QUIT_REQUESTED);
		});
		fPrivate->icon = std::make_unique<QSystemTrayIcon>();
		fPrivate->icon->setObjectName(QString::fromUtf8(fPrivate->name.c_str()));
		fPrivate->icon->setContextMenu(fPrivate->menu.get());
	}
	// A copy: the tray keeps its picture longer than the caller its bitmap.
	QImage image = BPrivate::ImageOf(icon).copy();
	fPrivate->icon->setIcon(QIcon(QPixmap::fromImage(image)));
	fPrivate->icon->setToolTip(QString::fromUtf8(fPrivate->toolTip.c_str()));
	fPrivate->icon->show();
	return true;
}


void
BTrayIcon::Hide()
{
	if (fPrivate->icon != NULL)
		fPrivate->icon->hide();
}


bool
BTrayIcon::IsShown() const
{
	return fPrivate->icon != NULL && fPrivate->icon->isVisible();
}


void
BTrayIcon::SetToolTip(const char* toolTip)
{
	fPrivate->toolTip = toolTip != NULL ? toolTip : "";
	if (fPrivate->icon != NULL)
		fPrivate->icon->setToolTip(QString::fromUtf8(fPrivate->toolTip.c_str()));
}


const char*
BTrayIcon::ToolTip() const
{
	return fPrivate->toolTip.c_str();
}
