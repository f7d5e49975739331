#include <Font.h>

#include <math.h>
#include <stdio.h>
#include <string.h>

#include <QFontInfo>
#include <QString>

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <string_view>
#include <tuple>
#include <unordered_map>

#include "private/AppPrivate.h"
#include "private/FontPrivate.h"


namespace {

const char* const kPlainFamily = "DejaVu Sans";
const char* const kFixedFamily = "DejaVu Sans Mono";
const float kSystemFontSize = 12.0f;


BFont
MakeFont(const char* family, uint16 face)
{
	BFont font;
	font.SetFamily(family);
	font.SetSize(kSystemFontSize);
	font.SetFace(face);
	return font;
}


const BFont sPlainFont = MakeFont(kPlainFamily, B_REGULAR_FACE);
const BFont sBoldFont = MakeFont(kPlainFamily, B_BOLD_FACE);
const BFont sFixedFont = MakeFont(kFixedFamily, B_REGULAR_FACE);


// Fonts come and go by the hundred while a list draws, but only a handful
// of different ones are in use; their metrics are made once each. Function
// local, so the toolkit's objects go before the toolkit does at exit.
struct MetricsCache {
	std::mutex lock;
	std::map<std::tuple<std::string, float, uint16>, std::unique_ptr<QFontMetricsF>> metrics;
	// The widths of short texts, by font: views measure the same few
	// texts (counts, meal names) at every drawing, and measuring shapes
	// the text anew each time.
	std::map<std::tuple<std::string, float, uint16>, std::unordered_map<std::string, float>> widths;
};

// Longer texts are rarely measured twice; the widths kept for a font are
// bounded, for a program that measures ever new texts.
const size_t kLongestKeptWidth = 256;
const size_t kMostKeptWidths = 4096;


MetricsCache&
Cache()
{
	static MetricsCache cache;
	return cache;
}


float
TextWidth(const BFont& font, std::string_view text)
{
	if (text.empty())
		return 0.0f;
	if (text.size() > kLongestKeptWidth) {
		return static_cast<float>(BPrivate::MetricsOf(font).horizontalAdvance(
			QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))));
	}
	MetricsCache& cache = Cache();
	auto key = std::make_tuple(std::string(font.Family()), font.Size(), font.Face());
	{
		std::lock_guard<std::mutex> guard(cache.lock);
		std::unordered_map<std::string, float>& widths = cache.widths[key];
		auto found = widths.find(std::string(text));
		if (found != widths.end())
			return found->second;
	}
	// Measured outside the lock, which MetricsOf() takes itself.
	float width = static_cast<float>(BPrivate::MetricsOf(font).horizontalAdvance(
		QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))));
	std::lock_guard<std::mutex> guard(cache.lock);
	std::unordered_map<std::string, float>& widths = cache.widths[key];
	if (widths.size() >= kMostKeptWidths)
		widths.clear();
	widths.emplace(std::string(text), width);
	return width;
}

} // namespace


const BFont* be_plain_font = &sPlainFont;
const BFont* be_bold_font = &sBoldFont;
const BFont* be_fixed_font = &sFixedFont;


QFont
BPrivate::ToQFont(const BFont& font)
{
	EnsureToolkit();
	QFont result(QString::fromUtf8(font.Family()));
	// The platform's sizes are pixels; points would grow with the screen's
	// resolution and break the rows the list views count on.
	result.setPixelSize(std::max(1, static_cast<int>(lroundf(font.Size()))));
	uint16 face = font.Face();
	result.setBold((face & (B_BOLD_FACE | B_OUTLINED_FACE)) != 0);
	result.setItalic((face & B_ITALIC_FACE) != 0);
	result.setUnderline((face & B_UNDERSCORE_FACE) != 0);
	result.setStrikeOut((face & B_STRIKEOUT_FACE) != 0);
	return result;
}


const QFontMetricsF&
BPrivate::MetricsOf(const BFont& font)
{
	MetricsCache& cache = Cache();
	std::lock_guard<std::mutex> guard(cache.lock);
	auto key = std::make_tuple(std::string(font.Family()), font.Size(), font.Face());
	std::unique_ptr<QFontMetricsF>& metrics = cache.metrics[key];
	if (metrics == nullptr)
		metrics = std::make_unique<QFontMetricsF>(ToQFont(font));
	return *metrics;
}


BFont::BFont()
	:
	fFamily(kPlainFamily),
	fSize(kSystemFontSize),
	fFace(B_REGULAR_FACE)
{
}


BFont::BFont(const BFont& font)
	:
	fFamily(font.fFamily),
	fSize(font.fSize),
	fFace(font.fFace)
{
}


BFont::BFont(const BFont* font)
	:
	BFont()
{
	if (font != NULL)
		*this = *font;
}


BFont&
BFont::operator=(const BFont& font)
{
	fFamily = font.fFamily;
	fSize = font.fSize;
	fFace = font.fFace;
	return *this;
}


bool
BFont::operator==(const BFont& font) const
{
	return fFamily == font.fFamily && fSize == font.fSize && fFace == font.fFace;
}


void
BFont::SetFamily(const char* family)
{
	if (family != NULL && family[0] != '\0')
		fFamily = family;
}


void
BFont::SetSize(float size)
{
	// A font of no size draws nothing and measures nothing; the platform
	// keeps sizes of at least one pixel, and so do we.
	if (!(size >= 1.0f))
		size = 1.0f;
	fSize = size;
}


void
BFont::SetFace(uint16 face)
{
	// The regular face is the absence of the others.
	if ((face & ~B_REGULAR_FACE) != 0)
		face &= ~B_REGULAR_FACE;
	else
		face = B_REGULAR_FACE;
	fFace = face;
}


bool
BFont::IsFixed() const
{
	BPrivate::EnsureToolkit();
	return QFontInfo(BPrivate::ToQFont(*this)).fixedPitch();
}


float
BFont::StringWidth(const char* string) const
{
	if (string == NULL)
		return 0.0f;
	return TextWidth(*this, std::string_view(string));
}


float
BFont::StringWidth(const char* string, int32 length) const
{
	if (string == NULL || length <= 0)
		return 0.0f;
	size_t bytes = strnlen(string, static_cast<size_t>(length));
	return TextWidth(*this, std::string_view(string, bytes));
}


void
BFont::GetHeight(font_height* height) const
{
	if (height == NULL)
		return;
	const QFontMetricsF& metrics = BPrivate::MetricsOf(*this);
	height->ascent = static_cast<float>(metrics.ascent());
	height->descent = static_cast<float>(metrics.descent());
	height->leading = static_cast<float>(metrics.leading());
}


void
BFont::PrintToStream() const
{
	printf("BFont('%s', %.1f, face 0x%04x)\n", fFamily.c_str(), fSize, fFace);
}
