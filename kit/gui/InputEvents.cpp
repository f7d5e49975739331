// The toolkit's input turned into the platform's input messages, for the
// widgets of views and windows alike.

#include <QDropEvent>
#include <QFile>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <chrono>
#include <string>

#include <AppDefs.h>
#include <Entry.h>
#include <InterfaceDefs.h>
#include <Message.h>
#include <Window.h>

#include "private/InputPrivate.h"
#include "private/WindowPrivate.h"


namespace {

int32 sInputDepth = 0;

BPoint sMouseScreenPosition;
uint32 sMouseButtons = 0;
uint32 sModifiers = 0;

// Raw key codes of keys that have no character. The Super keys and the menu
// key have the platform's numbers, since the program asks for them; every
// other key gets the toolkit's key number moved out of their way.
const int32 kMenuKeyCode = 104;
const int32 kCharacterKeyBase = 0x10000;
const int32 kSpecialKeyBase = 0x20000;
const int kQtSpecialKeys = 0x01000000;
// The X keysyms of the left and right Windows keys. Qt on X11 reports both
// as Key_Meta, a modifier; only the native key tells them from a Meta key.
const quint32 kKeysymSuperLeft = 0xffeb;
const quint32 kKeysymSuperRight = 0xffec;


struct SpecialKey {
	int qtKey;
	char byte;
};

// Keys whose character the platform defines, whatever the toolkit's text.
const SpecialKey kSpecialKeys[] = {
	{Qt::Key_Up, B_UP_ARROW},
	{Qt::Key_Down, B_DOWN_ARROW},
	{Qt::Key_Left, B_LEFT_ARROW},
	{Qt::Key_Right, B_RIGHT_ARROW},
	{Qt::Key_Return, B_ENTER},
	{Qt::Key_Enter, B_ENTER},
	{Qt::Key_Escape, B_ESCAPE},
	{Qt::Key_Tab, B_TAB},
	{Qt::Key_Backtab, B_TAB},
	{Qt::Key_Backspace, B_BACKSPACE},
	{Qt::Key_Delete, B_DELETE},
	{Qt::Key_Insert, B_INSERT},
	{Qt::Key_Home, B_HOME},
	{Qt::Key_End, B_END},
	{Qt::Key_PageUp, B_PAGE_UP},
	{Qt::Key_PageDown, B_PAGE_DOWN},
};


int64
Now()
{
	return std::chrono::duration_cast<std::chrono::microseconds>(
		std::chrono::steady_clock::now().time_since_epoch())
		.count();
}


// The raw code of a Windows key however the toolkit names it, or 0 for any
// other key.
int32
SuperKeyCodeOf(const QKeyEvent* event)
{
	switch (event->key()) {
		case Qt::Key_Super_L:
			return B_LEFT_SUPER_KEY_CODE;
		case Qt::Key_Super_R:
			return B_RIGHT_SUPER_KEY_CODE;
	}
	switch (event->nativeVirtualKey()) {
		case kKeysymSuperLeft:
			return B_LEFT_SUPER_KEY_CODE;
		case kKeysymSuperRight:
			return B_RIGHT_SUPER_KEY_CODE;
	}
	return 0;
}


// The modifier a key is, or 0 when it is none.
uint32
ModifierOfKey(int key)
{
	switch (key) {
		case Qt::Key_Shift:
			return B_SHIFT_KEY;
		case Qt::Key_Control:
			return B_CONTROL_KEY;
		case Qt::Key_Alt:
		case Qt::Key_AltGr:
			return B_COMMAND_KEY;
		case Qt::Key_Meta:
			return B_OPTION_KEY;
	}
	return 0;
}


// The bytes KeyDown() gets for a key, empty for a key without a character.
std::string
BytesOf(const QKeyEvent* event)
{
	int key = event->key();
	for (const SpecialKey& special : kSpecialKeys) {
		if (special.qtKey == key)
			return std::string(1, special.byte);
	}
	if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
		return std::string(1, static_cast<char>(B_FUNCTION_KEY));

	QString text = event->text();
	if (!text.isEmpty() && (text.at(0).unicode() >= 0x20 || key < kQtSpecialKeys))
		return text.toUtf8().toStdString();
	// Some toolkits give no text with the command key held; the platform
	// gives the plain character.
	if (key >= 0x20 && key <= 0x7e) {
		char character = static_cast<char>(key);
		if ((event->modifiers() & Qt::ShiftModifier) == 0 && character >= 'A'
			&& character <= 'Z')
			character = static_cast<char>(character - 'A' + 'a');
		return std::string(1, character);
	}
	return std::string();
}

} // namespace


BPrivate::InputScope::InputScope()
{
	sInputDepth++;
}


BPrivate::InputScope::~InputScope()
{
	sInputDepth--;
}


bool
BPrivate::InputScope::IsActive()
{
	return sInputDepth > 0;
}


void
BPrivate::DisposeWidget(QWidget* widget)
{
	if (widget == NULL)
		return;
	if (InputScope::IsActive()) {
		widget->hide();
		widget->deleteLater();
		return;
	}
	delete widget;
}


uint32
BPrivate::ModifiersOf(Qt::KeyboardModifiers modifiers)
{
	// Alt is where the platform's command key sits on a PC keyboard.
	uint32 result = 0;
	if (modifiers & Qt::ShiftModifier)
		result |= B_SHIFT_KEY;
	if (modifiers & Qt::ControlModifier)
		result |= B_CONTROL_KEY;
	if (modifiers & Qt::AltModifier)
		result |= B_COMMAND_KEY;
	if (modifiers & Qt::MetaModifier)
		result |= B_OPTION_KEY;
	return result;
}


uint32
BPrivate::ButtonsOf(Qt::MouseButtons buttons)
{
	uint32 result = 0;
	if (buttons & Qt::LeftButton)
		result |= B_PRIMARY_MOUSE_BUTTON;
	if (buttons & Qt::RightButton)
		result |= B_SECONDARY_MOUSE_BUTTON;
	if (buttons & Qt::MiddleButton)
		result |= B_TERTIARY_MOUSE_BUTTON;
	return result;
}


void
BPrivate::SetMouseState(BPoint screenWhere, uint32 buttons)
{
	sMouseScreenPosition = screenWhere;
	sMouseButtons = buttons;
}


BPoint
BPrivate::MouseScreenPosition()
{
	return sMouseScreenPosition;
}


uint32
BPrivate::MouseButtons()
{
	return sMouseButtons;
}


int32
BPrivate::RawKeyCodeOf(int qtKey)
{
	switch (qtKey) {
		case Qt::Key_Super_L:
			return B_LEFT_SUPER_KEY_CODE;
		case Qt::Key_Super_R:
			return B_RIGHT_SUPER_KEY_CODE;
		case Qt::Key_Menu:
			return kMenuKeyCode;
	}
	if (qtKey >= kQtSpecialKeys)
		return kSpecialKeyBase + (qtKey & 0xffff);
	return kCharacterKeyBase + (qtKey & 0xffff);
}


int
BPrivate::QtKeyOf(int32 rawCode)
{
	switch (rawCode) {
		case B_LEFT_SUPER_KEY_CODE:
			return Qt::Key_Super_L;
		case B_RIGHT_SUPER_KEY_CODE:
			return Qt::Key_Super_R;
		case kMenuKeyCode:
			return Qt::Key_Menu;
	}
	if (rawCode >= kSpecialKeyBase)
		return kQtSpecialKeys | (rawCode - kSpecialKeyBase);
	if (rawCode >= kCharacterKeyBase)
		return rawCode - kCharacterKeyBase;
	return Qt::Key_unknown;
}


void
BPrivate::DispatchInput(BWindow* window, BMessage* message, BHandler* handler)
{
	if (window == NULL) {
		delete message;
		return;
	}
	InputScope scope;
	window->_Private()->DispatchNow(message, handler);
}


void
BPrivate::DeliverKey(BWindow* window, BHandler* target, QKeyEvent* event, bool down)
{
	event->accept();
	if (window == NULL)
		return;

	int key = event->key();
	uint32 modifiers = ModifiersOf(event->modifiers());
	int32 superCode = SuperKeyCodeOf(event);
	uint32 modifierKey = superCode != 0 ? 0 : ModifierOfKey(key);
	if (modifierKey != 0) {
		// Toolkits differ in whether a modifier's own press already counts
		// it; the platform reports the state after the key.
		if (down)
			modifiers |= modifierKey;
		else
			modifiers &= ~modifierKey;
		BMessage* message = new BMessage(B_MODIFIERS_CHANGED);
		message->AddInt64("when", Now());
		message->AddInt32("modifiers", static_cast<int32>(modifiers));
		message->AddInt32("be:old_modifiers", static_cast<int32>(sModifiers));
		sModifiers = modifiers;
		DispatchInput(window, message, window);
		return;
	}
	sModifiers = modifiers;

	int32 code = superCode != 0 ? superCode : RawKeyCodeOf(key);
	std::string bytes = superCode != 0 ? std::string() : BytesOf(event);
	if (bytes.empty()) {
		// The Super keys and their like: the main window wants these itself.
		BMessage* message = new BMessage(down ? B_UNMAPPED_KEY_DOWN : B_UNMAPPED_KEY_UP);
		message->AddInt64("when", Now());
		message->AddInt32("key", code);
		message->AddInt32("modifiers", static_cast<int32>(modifiers));
		DispatchInput(window, message, window);
		return;
	}

	BMessage* message = new BMessage(down ? B_KEY_DOWN : B_KEY_UP);
	message->AddInt64("when", Now());
	message->AddString("bytes", bytes.c_str());
	for (char byte : bytes)
		message->AddInt8("byte", static_cast<int8>(byte));
	message->AddInt32("key", code);
	message->AddInt32("modifiers", static_cast<int32>(modifiers));
	if (event->isAutoRepeat())
		message->AddInt32("be:key_repeat", 1);
	DispatchInput(window, message, target);
}


bool
BPrivate::AcceptsDrop(const QMimeData* data)
{
	if (data == NULL || !data->hasUrls())
		return false;
	for (const QUrl& url : data->urls()) {
		if (url.isLocalFile())
			return true;
	}
	return false;
}


void
BPrivate::DeliverDrop(BWindow* window, BHandler* target, QDropEvent* event, BPoint screenWhere)
{
	if (window == NULL || !AcceptsDrop(event->mimeData())) {
		event->ignore();
		return;
	}
	event->acceptProposedAction();

	BMessage* message = new BMessage(B_SIMPLE_DATA);
	for (const QUrl& url : event->mimeData()->urls()) {
		if (!url.isLocalFile())
			continue;
		QByteArray path = QFile::encodeName(url.toLocalFile());
		entry_ref ref(path.constData());
		message->AddRef("refs", &ref);
	}
	message->SetDropPoint(screenWhere);
	SetMouseState(screenWhere, sMouseButtons);
	DispatchInput(window, message, target);
}
