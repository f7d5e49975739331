#include <Menu.h>

#include <string.h>

#include <QAction>
#include <QMenu>

#include <functional>
#include <map>

#include <MenuField.h>
#include <MenuItem.h>
#include <Messenger.h>
#include <ModalResponder.h>

#include "private/AppPrivate.h"
#include "private/FontPrivate.h"


namespace {

// An ampersand in a label is text, not the toolkit's mnemonic marker.
QString
ActionText(const char* label)
{
	return QString::fromUtf8(label).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace


BMenu::BMenu(const char* name, menu_layout layout)
	:
	fName(name != NULL ? name : ""),
	fFont(be_plain_font),
	fLayout(layout),
	fRadioMode(false),
	fLabelFromMarked(false),
	fEnabled(true),
	fSuperitem(NULL),
	fField(NULL)
{
}


BMenu::~BMenu()
{
	for (BMenuItem* item : fItems) {
		item->fMenu = NULL;
		delete item;
	}
	fItems.clear();
	if (fSuperitem != NULL)
		fSuperitem->fSubmenu = NULL;
}


const char*
BMenu::Name() const
{
	return fName.c_str();
}


menu_layout
BMenu::Layout() const
{
	return fLayout;
}


bool
BMenu::AddItem(BMenuItem* item)
{
	return AddItem(item, CountItems());
}


bool
BMenu::AddItem(BMenuItem* item, int32 index)
{
	if (item == NULL || item->fMenu != NULL || index < 0 || index > CountItems())
		return false;
	fItems.insert(fItems.begin() + index, item);
	item->fMenu = this;
	if (item->fMarked)
		_ItemMarked(item);
	return true;
}


bool
BMenu::AddSeparatorItem()
{
	return AddItem(new BSeparatorItem);
}


BMenuItem*
BMenu::RemoveItem(int32 index)
{
	if (index < 0 || index >= CountItems())
		return NULL;
	BMenuItem* item = fItems[index];
	fItems.erase(fItems.begin() + index);
	item->fMenu = NULL;
	return item;
}


bool
BMenu::RemoveItem(BMenuItem* item)
{
	return RemoveItem(IndexOf(item)) != NULL;
}


bool
BMenu::RemoveItems(int32 index, int32 count, bool deleteItems)
{
	if (index < 0 || count < 0 || index + count > CountItems())
		return false;
	for (int32 i = 0; i < count; i++) {
		BMenuItem* item = RemoveItem(index);
		if (deleteItems)
			delete item;
	}
	return true;
}


BMenuItem*
BMenu::ItemAt(int32 index) const
{
	if (index < 0 || index >= CountItems())
		return NULL;
	return fItems[index];
}


int32
BMenu::CountItems() const
{
	return static_cast<int32>(fItems.size());
}


int32
BMenu::IndexOf(BMenuItem* item) const
{
	for (size_t i = 0; i < fItems.size(); i++) {
		if (fItems[i] == item)
			return static_cast<int32>(i);
	}
	return -1;
}


BMenuItem*
BMenu::FindItem(const char* label) const
{
	if (label == NULL)
		return NULL;
	for (BMenuItem* item : fItems) {
		if (item->Submenu() != NULL) {
			BMenuItem* found = item->Submenu()->FindItem(label);
			if (found != NULL)
				return found;
		}
		if (strcmp(item->Label(), label) == 0)
			return item;
	}
	return NULL;
}


BMenuItem*
BMenu::FindItem(uint32 command) const
{
	for (BMenuItem* item : fItems) {
		if (item->Submenu() != NULL) {
			BMenuItem* found = item->Submenu()->FindItem(command);
			if (found != NULL)
				return found;
		}
		if (item->Message() != NULL && item->Command() == command)
			return item;
	}
	return NULL;
}


BMenuItem*
BMenu::FindMarked()
{
	for (BMenuItem* item : fItems) {
		if (item->IsMarked())
			return item;
	}
	return NULL;
}


void
BMenu::SetRadioMode(bool on)
{
	fRadioMode = on;
	if (!on)
		fLabelFromMarked = false;
}


bool
BMenu::IsRadioMode() const
{
	return fRadioMode;
}


void
BMenu::SetLabelFromMarked(bool on)
{
	fLabelFromMarked = on;
	if (!on)
		return;
	fRadioMode = true;
	BMenuItem* marked = FindMarked();
	if (marked != NULL)
		_ShowLabelOf(marked);
}


bool
BMenu::IsLabelFromMarked()
{
	return fLabelFromMarked;
}


status_t
BMenu::SetTargetForItems(BHandler* handler)
{
	for (BMenuItem* item : fItems) {
		status_t status = item->SetTarget(handler);
		if (status != B_OK)
			return status;
	}
	return B_OK;
}


status_t
BMenu::SetTargetForItems(BMessenger messenger)
{
	for (BMenuItem* item : fItems) {
		status_t status = item->SetTarget(messenger);
		if (status != B_OK)
			return status;
	}
	return B_OK;
}


void
BMenu::SetEnabled(bool enabled)
{
	if (enabled == fEnabled)
		return;
	fEnabled = enabled;
	if (fField != NULL)
		fField->_UpdateButton();
}


bool
BMenu::IsEnabled() const
{
	if (!fEnabled)
		return false;
	BMenu* supermenu = Supermenu();
	return supermenu == NULL || supermenu->IsEnabled();
}


void
BMenu::SetFont(const BFont* font, uint32 mask)
{
	if (font == NULL)
		return;
	// The style is the face here, as for a view's font.
	if ((mask & B_FONT_FAMILY_AND_STYLE) != 0) {
		fFont.SetFamily(font->Family());
		fFont.SetFace(font->Face());
	}
	if ((mask & B_FONT_SIZE) != 0)
		fFont.SetSize(font->Size());
	if ((mask & B_FONT_FACE) != 0)
		fFont.SetFace(font->Face());
	if (fField != NULL)
		fField->_UpdateButton();
}


void
BMenu::GetFont(BFont* font) const
{
	if (font != NULL)
		*font = fFont;
}


BMenuItem*
BMenu::Superitem() const
{
	return fSuperitem;
}


BMenu*
BMenu::Supermenu() const
{
	return fSuperitem != NULL ? fSuperitem->Menu() : NULL;
}


void
BMenu::_ItemMarked(BMenuItem* item)
{
	if (fRadioMode) {
		for (BMenuItem* other : fItems) {
			if (other != item)
				other->fMarked = false;
		}
	}
	if (fLabelFromMarked)
		_ShowLabelOf(item);
}


void
BMenu::_ItemLabelChanged(BMenuItem* item)
{
	if (fLabelFromMarked && item->IsMarked() && FindMarked() == item)
		_ShowLabelOf(item);
}


void
BMenu::_ShowLabelOf(BMenuItem* item)
{
	if (fSuperitem != NULL)
		fSuperitem->SetLabel(item->Label());
}


BMenuField*
BMenu::_Field() const
{
	return fField;
}


BMenuItem*
BMenu::_Track(BPoint screenWhere)
{
	BPrivate::ModalResponder* responder = BPrivate::CurrentModalResponder();
	if (responder != NULL) {
		std::vector<const char*> labels;
		for (BMenuItem* item : fItems)
			labels.push_back(item->Label());
		int32 index = responder->PopUpGo(labels.data(), CountItems(), screenWhere);
		BMenuItem* item = ItemAt(index);
		// A person cannot choose a separator or a disabled item either.
		if (item == NULL || !item->IsEnabled() || dynamic_cast<BSeparatorItem*>(item) != NULL)
			return NULL;
		return item;
	}

	BPrivate::EnsureToolkit();
	std::map<QAction*, BMenuItem*> chosen;
	std::function<void(BMenu*, QMenu*)> build = [&](BMenu* menu, QMenu* qmenu) {
		qmenu->setFont(BPrivate::ToQFont(menu->fFont));
		for (BMenuItem* item : menu->fItems) {
			if (dynamic_cast<BSeparatorItem*>(item) != NULL) {
				qmenu->addSeparator();
				continue;
			}
			if (item->Submenu() != NULL) {
				QMenu* submenu = qmenu->addMenu(ActionText(item->Label()));
				submenu->setEnabled(item->IsEnabled());
				build(item->Submenu(), submenu);
				continue;
			}
			QAction* action = qmenu->addAction(ActionText(item->Label()));
			action->setEnabled(item->IsEnabled());
			if (item->IsMarked()) {
				action->setCheckable(true);
				action->setChecked(true);
			}
			chosen[action] = item;
		}
	};

	QMenu menu;
	build(this, &menu);
	QAction* action = menu.exec(QPoint(static_cast<int>(screenWhere.x),
		static_cast<int>(screenWhere.y)));
	auto found = chosen.find(action);
	if (action == NULL || found == chosen.end())
		return NULL;

	// Messages handled while the menu was open may have rebuilt the menu:
	// the chosen item counts only when it is still there.
	std::function<bool(const BMenu*)> holds = [&](const BMenu* menu) {
		for (BMenuItem* item : menu->fItems) {
			if (item == found->second)
				return true;
			if (item->Submenu() != NULL && holds(item->Submenu()))
				return true;
		}
		return false;
	};
	return holds(this) ? found->second : NULL;
}
