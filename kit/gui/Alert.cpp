#include <Alert.h>

#include <stdio.h>

#include <string>
#include <vector>

#include <Invoker.h>
#include <Message.h>
#include <ModalResponder.h>

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>


namespace BPrivate {

struct AlertPrivate {
	std::string title;
	std::string text;
	std::vector<std::string> labels;
	std::vector<char> shortcuts;
	button_width widthStyle = B_WIDTH_AS_USUAL;
	alert_type type = B_INFO_ALERT;
};

} // namespace BPrivate


namespace {

using BPrivate::AlertPrivate;

// The width a button has at least with B_WIDTH_AS_USUAL, so that "OK" is
// not a tiny button beside "Cancel".
const int kUsualButtonWidth = 75;
const int kIconSize = 32;


std::string
Safe(const char* text)
{
	return text != NULL ? std::string(text) : std::string();
}


bool
HaveApplication()
{
	return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}


int32
IndexOfShortcut(const AlertPrivate& alert, char key)
{
	for (size_t i = 0; i < alert.shortcuts.size(); i++) {
		if (key != 0 && alert.shortcuts[i] == key)
			return static_cast<int32>(i);
	}
	return -1;
}


int32
EscapeIndex(const AlertPrivate& alert)
{
	int32 index = IndexOfShortcut(alert, B_ESCAPE);
	return index >= 0 ? index : static_cast<int32>(alert.labels.size()) - 1;
}


// The character a key gives, as KeyDown() would see it.
char
KeyCharacter(const QKeyEvent* event)
{
	switch (event->key()) {
	case Qt::Key_Return:
	case Qt::Key_Enter:
		return B_ENTER;

	case Qt::Key_Escape:
		return B_ESCAPE;

	default:
		break;
	}
	QString text = event->text();
	if (text.size() == 1 && text.at(0).unicode() > 0 && text.at(0).unicode() < 128)
		return static_cast<char>(text.at(0).unicode());
	return 0;
}


QStyle::StandardPixmap
IconFor(alert_type type)
{
	switch (type) {
	case B_IDEA_ALERT:
		return QStyle::SP_MessageBoxQuestion;

	case B_WARNING_ALERT:
		return QStyle::SP_MessageBoxWarning;

	case B_STOP_ALERT:
		return QStyle::SP_MessageBoxCritical;

	default:
		return QStyle::SP_MessageBoxInformation;
	}
}


// Shows the dialog as one that belongs to the program's front window, so
// that a window manager keeps it above that window.
void
ShowAboveOurWindows(QDialog* dialog)
{
	QWidget* owner = QApplication::activeWindow();
	for (QWidget* widget : QApplication::topLevelWidgets()) {
		if (owner != NULL)
			break;
		if (widget != dialog && widget->isVisible() && qobject_cast<QDialog*>(widget) == NULL)
			owner = widget;
	}
	dialog->winId();
	if (owner != NULL && owner != dialog && dialog->windowHandle() != NULL)
		dialog->windowHandle()->setTransientParent(owner->windowHandle());
	dialog->show();
	dialog->raise();
}


// The alert on screen. Its result is the index of the button pressed.
class AlertDialog : public QDialog {
public:
	AlertDialog(const AlertPrivate& alert);

protected:
	void keyPressEvent(QKeyEvent* event) override;
	// Escape and the close box end here.
	void reject() override;

private:
	// A copy: an alert that did not wait is gone before its dialog.
	const AlertPrivate fAlert;
};


AlertDialog::AlertDialog(const AlertPrivate& alert)
	:
	QDialog(nullptr),
	fAlert(alert)
{
	setWindowTitle(QString::fromStdString(alert.title));

	QHBoxLayout* message = new QHBoxLayout;
	if (alert.type != B_EMPTY_ALERT) {
		QLabel* icon = new QLabel;
		icon->setPixmap(style()->standardIcon(IconFor(alert.type)).pixmap(kIconSize, kIconSize));
		icon->setAlignment(Qt::AlignTop);
		message->addWidget(icon);
	}
	QLabel* text = new QLabel(QString::fromStdString(alert.text));
	text->setTextFormat(Qt::PlainText);
	text->setWordWrap(true);
	text->setTextInteractionFlags(Qt::TextSelectableByMouse);
	message->addWidget(text, 1);

	QHBoxLayout* buttons = new QHBoxLayout;
	buttons->addStretch(1);
	std::vector<QPushButton*> pushButtons;
	int enterIndex = IndexOfShortcut(alert, B_ENTER);
	if (enterIndex < 0)
		enterIndex = static_cast<int>(alert.labels.size()) - 1;
	for (size_t i = 0; i < alert.labels.size(); i++) {
		QPushButton* button = new QPushButton(QString::fromStdString(alert.labels[i]));
		// Enter belongs to one button whichever has the focus, as the
		// shortcut says.
		button->setAutoDefault(false);
		button->setDefault(static_cast<int>(i) == enterIndex);
		connect(button, &QPushButton::clicked, this, [this, i] { done(static_cast<int>(i)); });
		buttons->addWidget(button);
		pushButtons.push_back(button);
	}

	int widest = 0;
	for (QPushButton* button : pushButtons)
		widest = qMax(widest, button->sizeHint().width());
	for (QPushButton* button : pushButtons) {
		if (alert.widthStyle == B_WIDTH_FROM_WIDEST)
			button->setMinimumWidth(widest);
		else if (alert.widthStyle == B_WIDTH_AS_USUAL)
			button->setMinimumWidth(qMax(kUsualButtonWidth, button->sizeHint().width()));
	}

	QVBoxLayout* layout = new QVBoxLayout(this);
	layout->addLayout(message);
	layout->addLayout(buttons);
	layout->setSizeConstraint(QLayout::SetFixedSize);

	// The space bar presses the button with the focus: that is the one
	// Enter presses, so neither key does what the person did not choose.
	if (enterIndex >= 0 && enterIndex < static_cast<int>(pushButtons.size()))
		pushButtons[static_cast<size_t>(enterIndex)]->setFocus(Qt::OtherFocusReason);
}


void
AlertDialog::keyPressEvent(QKeyEvent* event)
{
	bool withCommand = (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) != 0;
	int32 index = withCommand ? -1 : IndexOfShortcut(fAlert, KeyCharacter(event));
	if (index >= 0) {
		done(index);
		return;
	}
	QDialog::keyPressEvent(event);
}


void
AlertDialog::reject()
{
	done(EscapeIndex(fAlert));
}


void
InvokeWith(BInvoker* invoker, int32 which)
{
	if (invoker == NULL || invoker->Message() == NULL)
		return;

	BMessage message(*invoker->Message());
	message.AddInt32("which", which);
	invoker->Invoke(&message);
}


int32
AskResponder(BPrivate::ModalResponder* responder, const AlertPrivate& alert)
{
	std::vector<const char*> labels;
	for (const std::string& label : alert.labels)
		labels.push_back(label.c_str());
	return responder->AlertGo(alert.title.c_str(), alert.text.c_str(),
		static_cast<int32>(labels.size()), labels.data(), alert.type);
}

} // namespace


BAlert::BAlert(const char* title, const char* text, const char* button0Label,
	const char* button1Label, const char* button2Label, button_width widthStyle,
	alert_type type)
	:
	fPrivate(std::make_unique<AlertPrivate>())
{
	fPrivate->title = Safe(title);
	fPrivate->text = Safe(text);
	fPrivate->widthStyle = widthStyle;
	fPrivate->type = type;

	// The buttons end at the first missing label.
	for (const char* label : {button0Label, button1Label, button2Label}) {
		if (label == NULL)
			break;
		fPrivate->labels.push_back(label);
	}
	fPrivate->shortcuts.assign(fPrivate->labels.size(), 0);
}


BAlert::~BAlert()
{
}


void
BAlert::SetShortcut(int32 index, char key)
{
	if (index >= 0 && index < CountButtons())
		fPrivate->shortcuts[index] = key;
}


char
BAlert::Shortcut(int32 index) const
{
	if (index < 0 || index >= CountButtons())
		return 0;
	return fPrivate->shortcuts[index];
}


alert_type
BAlert::Type() const
{
	return fPrivate->type;
}


int32
BAlert::CountButtons() const
{
	return static_cast<int32>(fPrivate->labels.size());
}


int32
BAlert::Go()
{
	int32 which;
	if (BPrivate::ModalResponder* responder = BPrivate::CurrentModalResponder())
		which = AskResponder(responder, *fPrivate);
	else if (!HaveApplication()) {
		printf("BAlert: no application object to show \"%s\"\n", fPrivate->text.c_str());
		which = -1;
	} else {
		AlertDialog dialog(*fPrivate);
		which = dialog.exec();
	}

	delete this;
	return which;
}


status_t
BAlert::Go(BInvoker* invoker)
{
	if (BPrivate::ModalResponder* responder = BPrivate::CurrentModalResponder()) {
		InvokeWith(invoker, AskResponder(responder, *fPrivate));
		delete invoker;
		delete this;
		return B_OK;
	}
	if (!HaveApplication()) {
		printf("BAlert: no application object to show \"%s\"\n", fPrivate->text.c_str());
		delete invoker;
		delete this;
		return B_NO_INIT;
	}

	// The dialog blocks the program's other windows, not the caller; it
	// goes when a button is pressed, and the alert with it.
	AlertDialog* dialog = new AlertDialog(*fPrivate);
	dialog->setWindowModality(Qt::ApplicationModal);
	QObject::connect(dialog, &QDialog::finished, dialog, [this, dialog, invoker](int which) {
		dialog->deleteLater();
		InvokeWith(invoker, which);
		delete invoker;
		delete this;
	});
	// Shown once the event loop runs, over the program's window: an alert
	// of a window that is being built (a missing menu at start-up) would
	// otherwise lie under that window once it appears.
	QTimer::singleShot(0, dialog, [dialog] { ShowAboveOurWindows(dialog); });
	return B_OK;
}
