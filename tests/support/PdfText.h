#ifndef PDF_TEXT_H
#define PDF_TEXT_H

// What a printed PDF file says, read back as a person would read the paper:
// pdftotext (poppler-utils) extracts each page's text, and the printed lines
// are held against the text that was printed.

#include <ctype.h>

#include <string>
#include <vector>

#include "BuiltProgram.h"


// The text of a PDF file as "pdftotext -layout" gives it: each page's lines,
// every page ended by a form feed. Empty when it cannot be read.
inline std::string
PdfText(const std::string& pdfPath)
{
	std::string text;
	if (RunProgram({"/usr/bin/pdftotext", "-layout", pdfPath, "-"}, &text, NULL) != 0)
		return "";
	return text;
}


// The lines of a text without their blanks, and without the lines that
// hold nothing else: the paper keeps the words and their order, while
// tabs, the columns of a page and empty lines come back as the layout
// pleases.
inline std::vector<std::string>
WordsByLine(const std::string& text)
{
	std::vector<std::string> lines;
	std::string line;
	for (char character : text + "\n") {
		if (character == '\n' || character == '\f') {
			if (!line.empty())
				lines.push_back(line);
			line.clear();
		} else if (!isspace(static_cast<unsigned char>(character)))
			line += character;
	}
	return lines;
}


// Empty when every line of text is on paper once, whole and in order, and
// nothing else is; else what differs first. A line the paper was too narrow
// for goes on over the next printed lines.
inline std::string
PrintedTextDiffers(const std::string& text, const std::string& printed)
{
	std::vector<std::string> expected = WordsByLine(text);
	std::vector<std::string> paper = WordsByLine(printed);
	size_t next = 0;
	for (size_t i = 0; i < expected.size(); i++) {
		std::string found;
		while (found.size() < expected[i].size() && next < paper.size())
			found += paper[next++];
		if (found != expected[i]) {
			return "line " + std::to_string(i + 1) + " of the text, \"" + expected[i]
				+ "\", is printed as \"" + found + "\"";
		}
	}
	if (next < paper.size())
		return "printed beyond the text: \"" + paper[next] + "\"";
	return "";
}


// The pages of pdftotext's text.
inline int
PdfTextPages(const std::string& printed)
{
	int pages = 0;
	for (char character : printed)
		pages += character == '\f';
	return pages;
}

#endif // PDF_TEXT_H
