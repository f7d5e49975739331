#include <Locale.h>

#include <QCoreApplication>
#include <QDir>
#include <QLocale>
#include <QString>
#include <QTranslator>

#include <Errors.h>

#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "private/LocalePrivate.h"


namespace {

typedef std::unordered_map<std::string, std::string> TranslationMap;

std::mutex sLock;

// Translations handed out so far, keyed by the English text, one map per
// catalogue used in this run, the last one current. Neither the maps nor
// their nodes ever move or go, so a text handed out stays valid for the
// whole run.
std::list<TranslationMap>&
Translations()
{
	static std::list<TranslationMap> translations(1);
	return translations;
}

std::unique_ptr<QTranslator> sCatalogue;

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
	std::lock_guard<std::mutex> guard(sLock);
	TranslationMap& translations = Translations().back();
	auto found = translations.find(text);
	if (found != translations.end())
		return found->second.c_str();

	// Qt's translator looks the English text up in the catalogue installed
	// for the user's language; without one it gives the text back.
	QString translated = QCoreApplication::translate("Vantuk", text);
	auto inserted = translations.emplace(text, translated.toStdString());
	return inserted.first->second.c_str();
}


status_t
BPrivate::UseCatalogue(const char* name, const char* folder, const char* language)
{
	if (name == NULL || name[0] == '\0')
		return B_BAD_VALUE;
	if (QCoreApplication::instance() == NULL)
		return B_NO_INIT;
	QString directory = folder != NULL
		? QString::fromUtf8(folder)
		: QCoreApplication::applicationDirPath() + QStringLiteral("/Language");
	QLocale locale = language != NULL ? QLocale(QString::fromUtf8(language)) : QLocale::system();

	auto catalogue = std::make_unique<QTranslator>();
	bool loaded = catalogue->load(locale, QString::fromUtf8(name), QStringLiteral("_"), directory);

	std::lock_guard<std::mutex> guard(sLock);
	if (sCatalogue != NULL)
		QCoreApplication::removeTranslator(sCatalogue.get());
	sCatalogue.reset();
	if (loaded && QCoreApplication::installTranslator(catalogue.get()))
		sCatalogue = std::move(catalogue);
	Translations().emplace_back();
	return sCatalogue != NULL ? B_OK : B_ENTRY_NOT_FOUND;
}
