#include <Locale.h>

#include <QCoreApplication>
#include <QString>

#include <mutex>
#include <string>
#include <unordered_map>


namespace {

// Translations handed out so far, keyed by the English text. The map's nodes
// never move, so the texts it holds stay valid for the whole run.
std::unordered_map<std::string, std::string>&
Translations()
{
	static std::unordered_map<std::string, std::string> translations;
	return translations;
}

BLocale sLocale;

} // namespace


BLocale* be_locale = &sLocale;


BLocale::BLocale()
{
}


BLocale::~BLocale()
{
}


const char*
BLocale::GetString(const char* text)
{
	if (text == NULL)
		return "";
	static std::mutex lock;
	std::lock_guard<std::mutex> guard(lock);
	auto& translations = Translations();
	auto found = translations.find(text);
	if (found != translations.end())
		return found->second.c_str();

	// Qt's translator looks the English text up in the catalogues installed
	// for the user's language; without one it gives the text back.
	QString translated = QCoreApplication::translate("Vantuk", text);
	auto inserted = translations.emplace(text, translated.toStdString());
	return inserted.first->second.c_str();
}
